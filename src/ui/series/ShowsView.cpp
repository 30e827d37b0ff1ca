#include "ShowsView.h"

#include "ImageLoader.h"
#include "PickList.h"
#include "ShowListModel.h"
#include "ShowRowActions.h"
#include "ShowRowControls.h"
#include "ShowRowKeys.h"
#include "ShowRowText.h"
#include "Theme.h"
#include "api/Watchlist.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

using Part = ShowRowDelegate::Part;

// Relative times in status lines move on by the minute.
constexpr int kClockRefreshMs = 30 * 1000;

} // namespace

ShowsView::ShowsView(const Watchlist& watchlist, Theme& theme, ImageLoader& images, QWidget* parent)
    : QWidget(parent)
    , m_watchlist(watchlist)
    , m_theme(theme)
    , m_images(images)
    , m_model(new ShowListModel(watchlist.state, this))
    , m_delegate(new ShowRowDelegate(theme, this))
    , m_clockTimer(new QTimer(this)) {
    setObjectName(QStringLiteral("showsView"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(18, 16, 18, 10);
    m_title = new QLabel(ShowRowText::kTitle, this);
    QFont titleFont = m_title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.35);
    titleFont.setWeight(QFont::Bold);
    m_title->setFont(titleFont);
    header->addWidget(m_title);
    header->addStretch();
    header->addWidget(makeAddButton(QStringLiteral("addSeriesButton")));
    layout->addLayout(header);

    m_pages = new QStackedWidget(this);
    layout->addWidget(m_pages, 1);

    m_list = new PickList(m_pages);
    m_list->setObjectName(QStringLiteral("showList"));
    m_list->setModel(m_model);
    m_list->setItemDelegate(m_delegate);
    m_list->setFrameShape(QFrame::NoFrame);
    // The list takes the keyboard: arrows between rows, Tab through the current row's controls.
    m_list->setFocusPolicy(Qt::StrongFocus);
    m_list->setAccessibleName(ShowRowText::kTitle);
    m_list->installEventFilter(this);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->verticalScrollBar()->setSingleStep(24);
    m_list->setMouseTracking(true);
    m_list->setContextMenuPolicy(Qt::DefaultContextMenu);
    m_list->viewport()->installEventFilter(this);
    m_list->setAutoFillBackground(false);
    m_list->viewport()->setAutoFillBackground(false);
    m_pages->addWidget(m_list);

    m_empty = new QWidget(m_pages);
    auto* empty = new QVBoxLayout(m_empty);
    empty->addStretch(2);
    auto* symbol = new QLabel(m_empty);
    symbol->setObjectName(QStringLiteral("emptyStateSymbol"));
    symbol->setAlignment(Qt::AlignCenter);
    empty->addWidget(symbol);
    m_emptyTitle = new QLabel(ShowRowText::kEmptyTitle, m_empty);
    m_emptyTitle->setAlignment(Qt::AlignCenter);
    QFont emptyFont = m_emptyTitle->font();
    emptyFont.setPointSizeF(emptyFont.pointSizeF() * 1.2);
    emptyFont.setWeight(QFont::DemiBold);
    m_emptyTitle->setFont(emptyFont);
    empty->addWidget(m_emptyTitle);
    m_emptyLine = new QLabel(ShowRowText::kEmptyLine, m_empty);
    m_emptyLine->setAlignment(Qt::AlignCenter);
    m_emptyLine->setWordWrap(true);
    empty->addWidget(m_emptyLine);
    empty->addSpacing(10);
    auto* centred = new QHBoxLayout;
    centred->addStretch();
    centred->addWidget(makeAddButton(QStringLiteral("emptyStateAddSeriesButton")));
    centred->addStretch();
    empty->addLayout(centred);
    empty->addStretch(3);
    m_pages->addWidget(m_empty);

    m_actions =
        new ShowRowActions(m_watchlist, m_theme, *m_model, this, [this](int row, Part part) {
            m_list->scrollTo(m_model->index(row));
            return globalRect(row, part);
        });
    makeRowControls();

    connect(m_list->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { setFocusPart(Part::row); });
    // A screen reader's "select" on a row does what Enter does.
    connect(m_list, &PickList::picked, this, [this](int row) {
        m_list->setCurrentIndex(m_model->index(row));
        toggleExpanded(idAt(row));
    });

    m_delegate->setPosterSource([this](const QModelIndex& index) { return posterFor(index); });

    connect(m_model, &QAbstractItemModel::rowsInserted, this, &ShowsView::updateEmptyState);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, [this] {
        // A removed series can no longer be the expanded one.
        if (!m_expandedID.isNull() && m_model->rowOf(m_expandedID) < 0) {
            m_expandedID = QUuid();
            m_delegate->setExpandedID({});
        }
        updateEmptyState();
    });
    m_clockTimer->setInterval(kClockRefreshMs);
    connect(m_clockTimer, &QTimer::timeout, m_model, &ShowListModel::refresh);
    connect(&m_theme, &Theme::changed, this, &ShowsView::restyle);
    restyle();
    updateEmptyState();
}

ShowsView::~ShowsView() = default;

QPushButton* ShowsView::makeAddButton(const QString& objectName) {
    auto* button = new QPushButton(ShowRowText::kAddSeries, this);
    button->setObjectName(objectName);
    button->setCursor(Qt::PointingHandCursor);
    button->setIconSize(QSize(14, 14));
    connect(button, &QPushButton::clicked, this, &ShowsView::addSeriesRequested);
    m_addButtons.append(button);
    return button;
}

void ShowsView::restyle() {
    setPalette(m_theme.palette());
    setAutoFillBackground(true);
    QPalette p = m_theme.palette();
    p.setColor(QPalette::Base, m_theme.color(Theme::Role::window));
    m_list->setPalette(p);
    m_title->setPalette(m_theme.palette());
    QPalette secondary = m_theme.palette();
    secondary.setColor(QPalette::WindowText, m_theme.color(Theme::Role::secondaryText));
    m_emptyLine->setPalette(secondary);
    if (auto* symbol = m_empty->findChild<QLabel*>(QStringLiteral("emptyStateSymbol")))
        symbol->setPixmap(m_theme.symbol(QStringLiteral("tv"), Theme::Role::faintText)
                              .pixmap(QSize(44, 44), devicePixelRatioF()));
    const QString style =
        QStringLiteral("QPushButton { background: %1; color: %2; border: none; border-radius: 8px;"
                       " padding: 6px 14px; font-weight: 600; }"
                       "QPushButton:hover { background: %3; }"
                       // A style sheet drops the native focus frame: the theme's ring instead.
                       "QPushButton:focus { border: 2px solid %4; padding: 4px 12px; }")
            .arg(m_theme.color(Theme::Role::accent).name(),
                 m_theme.color(Theme::Role::accentText).name(),
                 m_theme.color(Theme::Role::accent).lighter(112).name(),
                 m_theme.color(Theme::Role::focusRing).name());
    m_list->verticalScrollBar()->setStyleSheet(
        QStringLiteral("QScrollBar:vertical { background: transparent; width: 10px; margin: 2px; }"
                       "QScrollBar::handle:vertical { background: %1; border-radius: 3px;"
                       " min-height: 32px; }"
                       "QScrollBar::add-line, QScrollBar::sub-line { height: 0; }"
                       "QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }")
            .arg(m_theme.color(Theme::Role::faintText).name(QColor::HexArgb)));
    for (QPushButton* button : std::as_const(m_addButtons)) {
        button->setStyleSheet(style);
        button->setIcon(m_theme.symbol(QStringLiteral("plus"), Theme::Role::accentText));
    }
    m_list->viewport()->update();
}

void ShowsView::updateEmptyState() {
    m_pages->setCurrentWidget(m_model->rowCount() == 0 ? m_empty : static_cast<QWidget*>(m_list));
    placeRowControls();
}

void ShowsView::showEvent(QShowEvent* event) {
    m_model->setLive(true);
    m_model->refresh(); // time has passed while hidden
    m_clockTimer->start();
    QWidget::showEvent(event);
}

void ShowsView::hideEvent(QHideEvent* event) {
    m_clockTimer->stop();
    m_model->setLive(false);
    QWidget::hideEvent(event);
}

QListView* ShowsView::list() const {
    return m_list;
}

QUuid ShowsView::idAt(int row) const {
    return m_model->row(row).id;
}

void ShowsView::toggleExpanded(const QUuid& id) {
    m_expandedID = m_expandedID == id ? QUuid() : id;
    m_delegate->setExpandedID(m_expandedID);
    // Two row heights changed: lay out now, so the next click meets the rows where they are
    // drawn (only sizes are asked, no painting).
    m_list->doItemsLayout();
    if (const int row = m_model->rowOf(m_expandedID); row >= 0)
        m_list->scrollTo(m_model->index(row));
    placeRowControls();
}

void ShowsView::makeRowControls() {
    m_rowControls = new ShowRowControls(this, [this](Part part) {
        // On the row the mouse would act on.
        const int row = m_expandedID.isNull() ? -1 : m_model->rowOf(m_expandedID);
        if (row < 0)
            return;
        const QModelIndex index = m_model->index(row);
        if (index != m_list->currentIndex())
            m_list->setCurrentIndex(index);
        click(index, part);
    });
    connect(m_model, &QAbstractItemModel::dataChanged, this, &ShowsView::placeRowControls);
    connect(m_model, &QAbstractItemModel::modelReset, this, &ShowsView::placeRowControls);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, &ShowsView::placeRowControls);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &ShowsView::placeRowControls);
    connect(m_list->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &ShowsView::placeRowControls);
}
void ShowsView::placeRowControls() {
    const int row = m_expandedID.isNull() ? -1 : m_model->rowOf(m_expandedID);
    if (row < 0 || m_pages->currentWidget() != m_list) {
        m_rowControls->hide();
        return;
    }
    QWidget* viewport = m_list->viewport();
    m_rowControls->place(QRect(viewport->mapTo(this, QPoint(0, 0)), viewport->size()),
                         m_model->index(row), [&](Part part) { return controlRect(row, part); });
}
QAbstractButton* ShowsView::rowControl(Part part) const {
    return m_rowControls->control(part);
}
QRect ShowsView::controlRect(int row, Part part) const {
    const QModelIndex index = m_model->index(row);
    QStyleOptionViewItem option;
    option.initFrom(m_list);
    option.rect = m_list->visualRect(index);
    return m_delegate->partRect(option, index, part);
}

QRect ShowsView::globalRect(int row, Part part) const {
    const QRect local = controlRect(row, part);
    return QRect(m_list->viewport()->mapToGlobal(local.topLeft()), local.size());
}

Part ShowsView::partAt(const QModelIndex& index, QPoint pos) const {
    QStyleOptionViewItem option;
    option.initFrom(m_list);
    option.rect = m_list->visualRect(index);
    return m_delegate->partAt(option, index, pos);
}

QPixmap ShowsView::posterFor(const QModelIndex& index) {
    const QString path = index.data(ShowListModel::PosterPathRole).toString();
    if (path.isEmpty())
        return {};
    if (const auto it = m_posters.constFind(path); it != m_posters.cend())
        return *it;
    if (!m_asked.contains(path)) {
        m_asked.insert(path);
        m_images.load(path, QStringLiteral("w92"), this, [this, path](const QImage& image) {
            if (image.isNull())
                return; // the placeholder stays
            const qreal ratio = devicePixelRatioF();
            QPixmap thumb = QPixmap::fromImage(image.scaled(ShowRowDelegate::posterSize() * ratio,
                                                            Qt::KeepAspectRatioByExpanding,
                                                            Qt::SmoothTransformation));
            thumb.setDevicePixelRatio(ratio);
            m_posters.insert(path, thumb);
            m_list->viewport()->update();
        });
    }
    return {};
}

void ShowsView::setHover(const QModelIndex& index, Part part) {
    const QPersistentModelIndex before = m_delegate->hoverIndex();
    if (before == index && m_delegate->hoverPart() == part)
        return;
    m_delegate->setHover(QPersistentModelIndex(index), part);
    const bool clickable = part != Part::none && part != Part::stale;
    m_list->viewport()->setCursor(clickable ? Qt::PointingHandCursor : Qt::ArrowCursor);
    // Only the rows whose look changed are painted again.
    if (before.isValid())
        m_list->viewport()->update(m_list->visualRect(before));
    if (index.isValid() && index != before)
        m_list->viewport()->update(m_list->visualRect(index));
}

void ShowsView::click(const QModelIndex& index, Part part) {
    const int row = index.row();
    const QUuid id = idAt(row);
    switch (part) {
    case Part::none:
        return;
    case Part::row:
    case Part::stale:
        toggleExpanded(id);
        return;
    case Part::subscribeSwitch:
        m_watchlist.operations.setSubscribed(id,
                                             !index.data(ShowListModel::SubscribedRole).toBool());
        return;
    case Part::qualityPill:
        openQualityPopover(row);
        return;
    case Part::pickPill:
        openReleasePicker(row);
        return;
    case Part::trash:
        m_watchlist.operations.removeShow(id);
        return;
    case Part::viewEpisodes:
        Q_EMIT episodesRequested(id);
        return;
    }
}

QList<Part> ShowsView::focusableParts(int row) const {
    QList<Part> parts{Part::row};
    for (Part part : {Part::subscribeSwitch, Part::qualityPill, Part::pickPill, Part::trash,
                      Part::viewEpisodes}) {
        if (!controlRect(row, part).isEmpty())
            parts.append(part);
    }
    return parts;
}

void ShowsView::setFocusPart(Part part) {
    m_delegate->setFocusPart(part);
    const QModelIndex current = m_list->currentIndex();
    if (current.isValid())
        m_list->viewport()->update(m_list->visualRect(current));
    // A screen reader hears which control of the row the keyboard is on.
    m_list->setAccessibleDescription(current.isValid() && part != Part::row
                                         ? ShowRowParts::spokenName(current, part)
                                         : QString());
}
void ShowsView::openContextMenuAt(int row) {
    QMenu* menu = contextMenu(row, this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QRect rect = m_list->visualRect(m_model->index(row));
    menu->popup(m_list->viewport()->mapToGlobal(rect.topLeft() + QPoint(24, rect.height() / 2)));
}

bool ShowsView::keyOnList(QKeyEvent* key) {
    if (m_model->rowCount() == 0)
        return false;
    QModelIndex current = m_list->currentIndex();
    if (!current.isValid()) {
        current = m_model->index(0);
        m_list->setCurrentIndex(current);
    }
    const int row = current.row();
    using Kind = ShowRowKeys::Step::Kind;
    const ShowRowKeys::Step step = ShowRowKeys::forKey(
        key->key(), key->modifiers(), m_delegate->focusPart(), focusableParts(row));
    switch (step.kind) {
    case Kind::pass:
        return false;
    case Kind::focus:
        setFocusPart(step.part);
        return true;
    case Kind::leave:
        setFocusPart(step.part);
        return false; // on to the next control outside the list
    case Kind::press:
        click(current, step.part);
        if (step.refocus && !focusableParts(row).contains(m_delegate->focusPart()))
            setFocusPart(Part::row); // "View episodes" went with the expansion
        return true;
    case Kind::menu:
        openContextMenuAt(row);
        return true;
    }
    return false;
}
void ShowsView::resetView() {
    m_actions->closePopover();
    if (!m_expandedID.isNull())
        toggleExpanded(m_expandedID);
    if (m_model->rowCount() > 0)
        m_list->setCurrentIndex(m_model->index(0));
    setFocusPart(Part::row);
    m_list->scrollToTop();
}

bool ShowsView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list) {
        if (event->type() == QEvent::KeyPress)
            return keyOnList(static_cast<QKeyEvent*>(event));
        if (event->type() == QEvent::ContextMenu &&
            static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
            if (m_list->currentIndex().isValid())
                openContextMenuAt(m_list->currentIndex().row());
            return true;
        }
        return false;
    }
    if (watched != m_list->viewport())
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return true; // rows are not selected; a click acts on release
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return true;
        const QPoint pos = mouse->position().toPoint();
        const QModelIndex index = m_list->indexAt(pos);
        if (index.isValid()) {
            // The keyboard carries on from the row the mouse used.
            if (index != m_list->currentIndex())
                m_list->setCurrentIndex(index);
            click(index, partAt(index, pos));
        }
        return true;
    }
    case QEvent::MouseMove: {
        const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
        const QModelIndex index = m_list->indexAt(pos);
        setHover(index, index.isValid() ? partAt(index, pos) : Part::none);
        return false;
    }
    case QEvent::Leave:
        setHover({}, Part::none);
        return false;
    case QEvent::Resize:
        placeRowControls(); // the rows moved with the width
        return false;
    case QEvent::ToolTip: {
        auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = m_list->indexAt(help->pos());
        const Part part = index.isValid() ? partAt(index, help->pos()) : Part::none;
        const QString tip = index.isValid() ? ShowRowParts::tooltip(index, part) : QString();
        if (tip.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), tip, m_list->viewport(),
                               controlRect(index.row(), part));
        }
        return true;
    }
    case QEvent::ContextMenu: {
        auto* request = static_cast<QContextMenuEvent*>(event);
        const QModelIndex index = m_list->indexAt(request->pos());
        if (!index.isValid())
            return true;
        QMenu* menu = contextMenu(index.row(), this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(request->globalPos());
        return true;
    }
    default:
        return false;
    }
}

QMenu* ShowsView::contextMenu(int row, QWidget* parent) {
    return m_actions->contextMenu(row, parent);
}

void ShowsView::openQualityPopover(int row) {
    m_actions->openQualityPopover(row);
}

void ShowsView::openReleasePicker(int row) {
    m_actions->openReleasePicker(row);
}

Popover* ShowsView::openPopover() const {
    return m_actions->openPopover();
}
