#include "AddShowPresenter.h"

#include "AddPanelPlacement.h"
#include "AddShowFormView.h"
#include "AddShowModel.h"
#include "AddShowResultsView.h"
#include "AddShowText.h"
#include "ImageLoader.h"
#include "RoundedPanel.h"
#include "WindowDragArea.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>
#include <QVariantAnimation>

namespace {
constexpr QSize kPosterSize{180, 270}; // two by three, as TMDB's posters are
constexpr int kFormResizeMs = 180;

// Short, and none where the style says widgets do not animate (the desktop's reduced motion).
int formResizeMs(const QWidget& form) {
    return std::min(kFormResizeMs, form.style()->styleHint(QStyle::SH_Widget_Animation_Duration, nullptr, &form));
}

QPixmap rounded(const QImage& image, QSize size, qreal dpr) {
    QPixmap out(size * dpr);
    out.setDevicePixelRatio(dpr);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(QPointF(0, 0), size), RoundedPanel::kRadius, RoundedPanel::kRadius);
    painter.setClipPath(clip);
    painter.drawImage(QRect(QPoint(0, 0), size), image);
    return out;
}
} // namespace

AddShowPresenter::AddShowPresenter(const Watchlist& watchlist, Theme& theme, ImageLoader& images,
                                   QObject* parent, AddShowModel::Kind kind)
    : QObject(parent)
    , m_watchlist(watchlist)
    , m_kind(kind)
    , m_theme(theme)
    , m_images(images) {}

AddShowPresenter::~AddShowPresenter() {
    close();
}

AddShowModel* AddShowPresenter::model() const {
    return m_model;
}

RoundedPanel* AddShowPresenter::formPanel() const {
    return m_form;
}

RoundedPanel* AddShowPresenter::resultsPanel() const {
    return m_results;
}

RoundedPanel* AddShowPresenter::posterPanel() const {
    return m_poster;
}

void AddShowPresenter::setKeepClear(KeepClear keepClear) {
    m_keepClear = std::move(keepClear);
}

QRectF AddShowPresenter::keepClearRect() const {
    const std::optional<QRect> icon = m_keepClear ? m_keepClear() : std::nullopt;
    return icon ? QRectF(*icon) : QRectF();
}

bool AddShowPresenter::isOpen() const {
    return m_form && m_form->isVisible();
}

void AddShowPresenter::open(QWidget* anchor) {
    if (isOpen()) {
        m_form->raise();
        m_form->activateWindow();
        m_formView->nameField()->setFocus();
        return;
    }
    m_closing = false;
    m_sidesDismissed = false;
    m_returnFocus = QApplication::focusWidget();
    m_model = new AddShowModel(m_watchlist, m_kind);
    connect(m_model, &AddShowModel::closeRequested, this, &AddShowPresenter::close);
    connect(m_model, &AddShowModel::resultsChanged, this, [this] {
        m_sidesDismissed = false; // a new answer brings the side panels back
        refreshResults();
        refreshPoster();
    });
    connect(m_model, &AddShowModel::formChanged, this, &AddShowPresenter::refreshPoster);

    m_form = new RoundedPanel(m_theme, Qt::Tool);
    m_form->setObjectName(QStringLiteral("addShow.formPanel"));
    m_formView = new AddShowFormView(*m_model, m_theme);
    m_form->setContent(m_formView);
    connect(m_formView, &AddShowFormView::sizeChanged, this, &AddShowPresenter::fitForm);
    connect(m_formView, &AddShowFormView::closeClicked, this, &AddShowPresenter::close);
    // Also the move observer: the side panels travel with the form.
    addEscape(m_form);

    fitForm();
    placeForm(anchor);
    m_form->show();
    m_form->raise();
    m_form->activateWindow();
    m_formView->nameField()->setFocus();
}

void AddShowPresenter::close() {
    if (m_closing || !m_form)
        return;
    m_closing = true;
    m_form->removeEventFilter(this);
    if (m_model) {
        m_model->disconnect(this);
        m_model->close(); // nothing in flight publishes any more
        m_model->deleteLater();
    }
    // Side panels are the form's children: they go with it. Later, as a click inside the
    // form may be what closes it.
    for (RoundedPanel* panel : {m_poster.data(), m_results.data(), m_form.data()}) {
        if (panel)
            panel->hide();
    }
    m_form->deleteLater();
    m_form = nullptr;
    m_results = nullptr;
    m_poster = nullptr;
    m_posterShown.reset();
    // The keyboard goes back where it was, the "Add Series" or "Add Movie" button.
    if (QWidget* back = m_returnFocus; back && back->isVisible()) {
        back->window()->activateWindow();
        back->setFocus(Qt::OtherFocusReason);
    }
    m_returnFocus = nullptr;
    Q_EMIT closed();
}

bool AddShowPresenter::dragsGroup(QEvent* event) {
    // A side panel's background drags the form, and the side panels travel with it. Presses
    // that a control inside accepts never come up this far.
    if (!m_form || !WindowDragArea::hasGlobalCoordinates())
        return false;
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint at = mouse->globalPosition().toPoint();
    if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
        m_groupDragFrom = at - m_form->pos();
        return true;
    }
    if (type == QEvent::MouseMove && m_groupDragFrom && (mouse->buttons() & Qt::LeftButton)) {
        m_form->move(at - *m_groupDragFrom);
        return true;
    }
    if (type == QEvent::MouseButtonRelease && m_groupDragFrom) {
        m_groupDragFrom.reset();
        return true;
    }
    return false;
}

void AddShowPresenter::addEscape(RoundedPanel* panel) {
    // Keys nobody inside the panel wanted come up to it: Escape there closes the top panel.
    panel->installEventFilter(this);
    panel->setTabHandler([this](bool next) { return tab(next); });
}

void AddShowPresenter::showKeepingFocus(RoundedPanel* panel) {
    // A panel coming up beside the form does not take the keyboard from where it is.
    QPointer<QWidget> keep = QApplication::focusWidget();
    panel->setAttribute(Qt::WA_ShowWithoutActivating);
    panel->show();
    if (keep && keep->window() != panel) {
        keep->window()->activateWindow();
        keep->setFocus(Qt::OtherFocusReason);
    }
}

void AddShowPresenter::escape() {
    const bool sides = (m_results && m_results->isVisible()) || (m_poster && m_poster->isVisible());
    if (!sides)
        return close();
    m_sidesDismissed = true;
    for (RoundedPanel* panel : {m_poster.data(), m_results.data()}) {
        if (panel)
            panel->hide();
    }
    m_form->activateWindow();
    m_formView->nameField()->setFocus(Qt::OtherFocusReason);
}

namespace {
// The panel's controls a Tab stops at, in its focus chain's order.
QList<QWidget*> tabStops(RoundedPanel* panel) {
    QList<QWidget*> stops;
    if (!panel || !panel->isVisible())
        return stops;
    for (QWidget* w = panel->nextInFocusChain(); w && w != panel; w = w->nextInFocusChain()) {
        if (w->window() == panel && w->isVisible() && w->isEnabled() &&
            (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy())
            stops << w;
    }
    return stops;
}
} // namespace

bool AddShowPresenter::tab(bool next) {
    const QList<QWidget*> stops = tabStops(m_form) + tabStops(m_results) + tabStops(m_poster);
    if (stops.isEmpty())
        return false;
    const qsizetype at = stops.indexOf(QApplication::focusWidget());
    const qsizetype count = stops.size();
    const qsizetype to = at < 0 ? 0 : (at + (next ? 1 : count - 1)) % count;
    QWidget* target = stops[to];
    if (target->window() != QApplication::activeWindow())
        target->window()->activateWindow();
    target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

QRect AddShowPresenter::visibleArea() const {
    QScreen* screen = m_form ? m_form->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
}

void AddShowPresenter::fitForm() {
    if (!m_form || !m_formView)
        return;
    const int target = m_formView->fittingHeight();
    const auto setHeight = [this](int height) {
        m_form->setBodySize(QSize(AddShowFormView::kWidth, height));
        placeSidePanels();
    };
    const int duration = formResizeMs(*m_form);
    if (!m_form->isVisible() || duration <= 0) { // opening: at its size at once
        if (m_formResize)
            m_formResize->stop();
        setHeight(target);
        return;
    }
    if (!m_formResize) {
        m_formResize = new QVariantAnimation(m_form);
        m_formResize->setEasingCurve(QEasingCurve::OutCubic);
        connect(m_formResize, &QVariantAnimation::valueChanged, m_form,
                [setHeight](const QVariant& height) { setHeight(height.toInt()); });
    }
    m_formResize->stop();
    if (m_form->bodySize().height() == target)
        return;
    m_formResize->setDuration(duration);
    m_formResize->setStartValue(m_form->bodySize().height());
    m_formResize->setEndValue(target);
    m_formResize->start();
}

void AddShowPresenter::placeForm(QWidget* anchor) {
    // The key window, else the given one, else the screen.
    QWidget* over = QApplication::activeWindow();
    if (!over || over == m_form)
        over = anchor;
    if (over && over->window())
        over = over->window();
    if (over)
        m_form->setScreen(over->screen());
    const QRect area = visibleArea();
    const QRectF anchorRect = over ? QRectF(over->frameGeometry()) : QRectF(area);
    m_form->moveBodyTo(AddPanelPlacement::form(anchorRect, m_form->bodySize(), area));
}

void AddShowPresenter::placeSidePanels() {
    if (!m_form)
        return;
    const QRectF form(m_form->bodyPos(), m_form->bodySize());
    const QRect area = visibleArea();
    const QRectF icon = keepClearRect();
    if (m_results && m_results->isVisible())
        m_results->moveBodyTo(AddPanelPlacement::results(form, m_results->bodySize(), area, icon));
    const QRectF results = m_results && m_results->isVisible()
                               ? QRectF(m_results->bodyPos(), m_results->bodySize())
                               : QRectF();
    if (m_poster && m_poster->isVisible())
        m_poster->moveBodyTo(AddPanelPlacement::poster(form, m_poster->bodySize(), area, results, icon));
}

void AddShowPresenter::refreshResults() {
    if (!m_form || !m_model)
        return;
    if (m_model->mode() == AddShowModel::ResultsMode::none) {
        if (m_results)
            m_results->hide();
        return;
    }
    if (!m_results) {
        m_results = new RoundedPanel(m_theme, Qt::Tool, m_form);
        m_results->setObjectName(QStringLiteral("addShow.resultsPanel"));
        m_results->setContent(new AddShowResultsView(*m_model, m_theme, m_images));
        m_results->setBodySize(AddShowResultsView::kSize);
        addEscape(m_results);
    }
    if (!m_results->isVisible()) {
        showKeepingFocus(m_results);
        placeSidePanels();
    }
}

void AddShowPresenter::refreshPoster() {
    if (!m_form || !m_model)
        return;
    const auto& show = m_model->resolvedShow();
    if (!show) {
        if (m_poster)
            m_poster->hide();
        m_posterShown.reset();
        return;
    }
    if (m_sidesDismissed || (m_posterShown == show->id && m_poster && m_poster->isVisible()))
        return;
    m_posterShown = show->id;
    if (!m_poster) {
        m_poster = new RoundedPanel(m_theme, Qt::Tool, m_form);
        m_poster->setObjectName(QStringLiteral("addShow.posterPanel"));
        m_posterImage = new QLabel;
        m_posterImage->setObjectName(QStringLiteral("addShow.poster"));
        m_posterImage->setAlignment(Qt::AlignCenter);
        // A Tab stop of its own, so the keyboard can reach the panel and hear whose it is.
        m_posterImage->setFocusPolicy(Qt::TabFocus);
        m_poster->setContent(m_posterImage);
        m_poster->setBodySize(kPosterSize);
        addEscape(m_poster);
    }
    // The placeholder until (or unless) the poster comes.
    m_posterImage->setPixmap(
        m_theme.symbol(QStringLiteral("tv"), Theme::Role::faintText).pixmap(QSize(48, 48)));
    m_posterImage->setAccessibleName(AddShowText::matchTitle(*show));
    const int id = show->id;
    if (show->posterPath) {
        m_images.load(show->posterPath, QStringLiteral("w342"), m_posterImage,
                      [this, id](const QImage& image) {
                          if (image.isNull() || !m_posterImage || m_posterShown != id)
                              return;
                          m_posterImage->setPixmap(
                              rounded(image, kPosterSize, m_posterImage->devicePixelRatioF()));
                      });
    }
    showKeepingFocus(m_poster);
    placeSidePanels();
}

bool AddShowPresenter::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_form && event->type() == QEvent::Move)
        placeSidePanels();
    if ((watched == m_results || watched == m_poster) && dragsGroup(event))
        return true;
    const bool ourPanel = watched == m_form || watched == m_results || watched == m_poster;
    if (ourPanel && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        escape();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
