#include "ShowsView.h"

#include "ImageLoader.h"
#include "QualityPopover.h"
#include "ReleasePickPopover.h"
#include "PickList.h"
#include "RowControlLayer.h"
#include "ShowListModel.h"
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

const Show* findShow(const PublishedState& state, const QUuid& id) {
    for (const Show& show : state.shows()) {
        if (show.id == id)
            return &show;
    }
    return nullptr;
}

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
    m_rowControls = new RowControlLayer(this);
    m_rowControls->setObjectName(QStringLiteral("showRowControls"));
    const std::pair<Part, QLatin1StringView> parts[] = {
        {Part::subscribeSwitch, QLatin1StringView("switch")},
        {Part::qualityPill, QLatin1StringView("quality")},
        {Part::pickPill, QLatin1StringView("pick")},
        {Part::trash, QLatin1StringView("trash")},
        {Part::viewEpisodes, QLatin1StringView("viewEpisodes")},
    };
    for (const auto& [part, name] : parts) {
        // A press does what a click on the painted control does, on the row the mouse would.
        m_rowControls->add(static_cast<int>(part), QStringLiteral("showRow.") + name,
                           part == Part::subscribeSwitch, [this, part = part] {
                               const int row =
                                   m_expandedID.isNull() ? -1 : m_model->rowOf(m_expandedID);
                               if (row < 0)
                                   return;
                               const QModelIndex index = m_model->index(row);
                               if (index != m_list->currentIndex())
                                   m_list->setCurrentIndex(index);
                               click(index, part);
                           });
    }
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
    const QModelIndex index = m_model->index(row);
    const auto shown = [&](Part part, QString description = {},
                           std::optional<bool> checked = std::nullopt) {
        return RowControlLayer::Control{controlRect(row, part),
                                        part == Part::viewEpisodes ? ShowRowText::kViewEpisodes
                                                                   : tooltipFor(index, part),
                                        std::move(description), checked};
    };
    // Where the name says more than the control shows, the description tells what it shows.
    const QMap<int, RowControlLayer::Control> controls{
        {static_cast<int>(Part::subscribeSwitch),
         shown(Part::subscribeSwitch, index.data(ShowListModel::SubscribeLabelRole).toString(),
               index.data(ShowListModel::SubscribedRole).toBool())},
        {static_cast<int>(Part::qualityPill),
         shown(Part::qualityPill, index.data(ShowListModel::QualityLabelRole).toString())},
        {static_cast<int>(Part::pickPill),
         shown(Part::pickPill, index.data(ShowListModel::PickLabelRole).toString())},
        {static_cast<int>(Part::trash), shown(Part::trash)},
        {static_cast<int>(Part::viewEpisodes), shown(Part::viewEpisodes)},
    };
    QWidget* viewport = m_list->viewport();
    m_rowControls->place(QRect(viewport->mapTo(this, QPoint(0, 0)), viewport->size()),
                         index.data(ShowListModel::NameRole).toString(), controls);
}

QAbstractButton* ShowsView::rowControl(Part part) const {
    return m_rowControls->control(static_cast<int>(part));
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

QString ShowsView::tooltipFor(const QModelIndex& index, Part part) const {
    switch (part) {
    case Part::subscribeSwitch:
        return index.data(ShowListModel::SubscribeTooltipRole).toString();
    case Part::qualityPill:
        return ShowRowText::kQualityTooltip;
    case Part::pickPill:
        return ShowRowText::kPickTooltip;
    case Part::trash:
        return index.data(ShowListModel::TrashTooltipRole).toString();
    case Part::stale:
        return ShowRowText::kStaleTooltip;
    case Part::none:
    case Part::row:
    case Part::viewEpisodes:
        return {};
    }
    return {};
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
    QString name;
    if (current.isValid() && part != Part::row)
        name = part == Part::viewEpisodes ? ShowRowText::kViewEpisodes : tooltipFor(current, part);
    m_list->setAccessibleDescription(name);
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
    const Part part = m_delegate->focusPart();
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    switch (key->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        if (mods & ~Qt::ShiftModifier)
            return false;
        const bool back = key->key() == Qt::Key_Backtab || (mods & Qt::ShiftModifier);
        const QList<Part> parts = focusableParts(row);
        const qsizetype at = std::max<qsizetype>(0, parts.indexOf(part)) + (back ? -1 : 1);
        if (at < 0 || at >= parts.size()) {
            setFocusPart(Part::row);
            return false; // on to the next control outside the list
        }
        setFocusPart(parts[at]);
        return true;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
        click(current, part);
        if (!focusableParts(row).contains(m_delegate->focusPart()))
            setFocusPart(Part::row); // "View episodes" went with the expansion
        return true;
    case Qt::Key_Space:
        click(current, part == Part::row ? Part::subscribeSwitch : part);
        return true;
    case Qt::Key_Delete:
        if (mods != Qt::NoModifier)
            return false;
        click(current, Part::trash);
        return true;
    case Qt::Key_Menu:
        openContextMenuAt(row);
        return true;
    case Qt::Key_F10:
        if (mods != Qt::ShiftModifier)
            return false;
        openContextMenuAt(row);
        return true;
    default:
        return false;
    }
}

void ShowsView::resetView() {
    if (m_popover)
        m_popover->close();
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
        const QString tip = index.isValid() ? tooltipFor(index, part) : QString();
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
    using A = ShowRowText::MenuAction;
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("showContextMenu"));
    menu->setPalette(m_theme.palette());
    const QUuid id = idAt(row);
    for (const ShowRowText::MenuItem& item : m_model->menuItems(row)) {
        if (item.action == A::separator) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(item.label);
        // The series is found again by id: the list may have changed while the menu was open.
        connect(action, &QAction::triggered, this, [this, id, action = item.action] {
            const Show* show = findShow(m_watchlist.state, id);
            if (!show)
                return;
            switch (action) {
            case A::toggleSubscription:
                m_watchlist.operations.setSubscribed(id, !ShowRowText::isSubscribed(*show));
                break;
            case A::choosePick:
                if (const int r = m_model->rowOf(id); r >= 0)
                    openReleasePicker(r);
                break;
            case A::dismissPick:
                m_watchlist.operations.dismissQualityPick(id);
                break;
            case A::searchNow:
                m_watchlist.operations.searchNow(id);
                break;
            case A::clearStatus:
                m_watchlist.operations.clearStatus(id);
                break;
            case A::remove:
                m_watchlist.operations.removeShow(id);
                break;
            case A::separator:
                break;
            }
        });
    }
    return menu;
}

void ShowsView::showPopover(Popover* popover, int row, Part anchor) {
    if (m_popover)
        m_popover->close();
    m_popover = popover;
    m_list->scrollTo(m_model->index(row));
    popover->popUpBelow(globalRect(row, anchor));
}

void ShowsView::openQualityPopover(int row) {
    const QUuid id = idAt(row);
    const Show* show = findShow(m_watchlist.state, id);
    if (!show)
        return;
    auto* popover = new QualityPopover(m_theme, show->quality, this);
    connect(popover, &QualityPopover::chosen, this, [this, id](Show::Quality quality) {
        m_watchlist.operations.setShowQuality(id, quality);
    });
    showPopover(popover, row, Part::qualityPill);
}

void ShowsView::openReleasePicker(int row) {
    const QUuid id = idAt(row);
    const Show* show = findShow(m_watchlist.state, id);
    const auto pick = m_watchlist.state.pendingQualityPicks().constFind(id);
    if (!show || pick == m_watchlist.state.pendingQualityPicks().cend())
        return;
    auto* popover = new ReleasePickPopover(m_theme, *show, *pick, this);
    connect(popover, &ReleasePickPopover::picked, this, [this, id](const SearchResult& release) {
        m_watchlist.operations.pickAlternative(release, id);
    });
    connect(popover, &ReleasePickPopover::dismissed, this,
            [this, id] { m_watchlist.operations.dismissQualityPick(id); });
    showPopover(popover, row, Part::pickPill);
}
