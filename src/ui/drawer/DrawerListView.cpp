#include "DrawerListView.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QScrollBar>
#include <QToolTip>


using Delegate = DrawerRowDelegate;

DrawerListView::DrawerListView(DrawerRowDelegate* delegate, QWidget* parent)
    : QListView(parent)
    , m_delegate(delegate) {
    m_delegate->setParent(this);
    setItemDelegate(m_delegate);
    m_delegate->setPanelSource(
        [this](const QModelIndex& index) -> const QWidget* { return panel(index); });
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalScrollBar()->setSingleStep(24);
    setMouseTracking(true);
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    // A row's panel is laid on the window's colour, so its labels read in window text, not
    // in the text colour of a list's base.
    viewport()->setBackgroundRole(QPalette::Window);
}

QRect DrawerListView::partRect(const QModelIndex& index, int part) const {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    return m_delegate->partRect(option, index, part);
}

int DrawerListView::partAt(const QModelIndex& index, QPoint pos) const {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    return m_delegate->partAt(option, index, pos);
}

void DrawerListView::setPanel(const QModelIndex& index, QWidget* panel) {
    dropPanels([&index](const QPersistentModelIndex& row) { return row == index; });
    m_panels.emplace_back(index, panel);
    Q_EMIT panelSet(panel);
    Q_EMIT m_delegate->sizeHintChanged(index);
}

QWidget* DrawerListView::panel(const QModelIndex& index) const {
    for (const auto& [row, panel] : m_panels) {
        if (row == index)
            return panel;
    }
    return nullptr;
}

std::vector<std::pair<QModelIndex, QWidget*>> DrawerListView::panels() const {
    std::vector<std::pair<QModelIndex, QWidget*>> live;
    for (const auto& [row, panel] : m_panels) {
        if (row.isValid() && panel)
            live.emplace_back(row, panel);
    }
    return live;
}

void DrawerListView::dropPanels(const std::function<bool(const QPersistentModelIndex&)>& which) {
    // Panels of rows gone are dropped on the way. A dropped panel is only deleted later: out of
    // sight at once.
    std::erase_if(m_panels, [&which](const auto& entry) {
        const auto& [row, panel] = entry;
        if (row.isValid() && panel && !which(row))
            return false;
        if (panel) {
            panel->hide();
            panel->deleteLater();
        }
        return true;
    });
}

void DrawerListView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
    dropPanels([start, end](const QPersistentModelIndex& row) {
        return row.row() >= start && row.row() <= end;
    });
    QListView::rowsAboutToBeRemoved(parent, start, end);
}

void DrawerListView::reset() {
    dropPanels([](const QPersistentModelIndex&) { return true; });
    QListView::reset();
}

void DrawerListView::updateGeometries() {
    QListView::updateGeometries();
    Q_EMIT placesChanged();
}

void DrawerListView::scrollContentsBy(int dx, int dy) {
    QListView::scrollContentsBy(dx, dy);
    Q_EMIT placesChanged();
}

void DrawerListView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QListView::currentChanged(current, previous);
    Q_EMIT placesChanged();
}

void DrawerListView::press(const QModelIndex& index, int part) {
    if (index.isValid() && m_delegate->pressable(index, part))
        Q_EMIT partPressed(index, part);
}

void DrawerListView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        press(currentIndex(), m_delegate->defaultPart(currentIndex()));
        return;
    case Qt::Key_Escape:
        event->ignore(); // the drawer closes
        return;
    default:
        QListView::keyPressEvent(event);
    }
}

QModelIndex DrawerListView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    if (action != MoveUp && action != MoveDown)
        return QListView::moveCursor(action, modifiers);
    const int step = action == MoveDown ? 1 : -1;
    const QModelIndex current = currentIndex();
    for (int row = current.isValid() ? current.row() + step : 0;
         row >= 0 && row < model()->rowCount(); row += step) {
        const QModelIndex next = model()->index(row, 0);
        if (next.flags() & Qt::ItemIsEnabled)
            return next;
    }
    return current;
}

void DrawerListView::mousePressEvent(QMouseEvent* event) {
    event->accept(); // rows are not selected; a click acts on release
}

void DrawerListView::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}

void DrawerListView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = indexAt(pos);
    if (!index.isValid() || !(index.flags() & Qt::ItemIsEnabled))
        return;
    // The keyboard carries on from the row the mouse used.
    setCurrentIndex(index);
    press(index, partAt(index, pos));
}

void DrawerListView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = indexAt(pos);
    setHover(index, index.isValid() ? partAt(index, pos) : Delegate::kNone);
}

void DrawerListView::leaveEvent(QEvent* event) {
    setHover({}, Delegate::kNone);
    QListView::leaveEvent(event);
}

void DrawerListView::setHover(const QModelIndex& index, int part) {
    const QPersistentModelIndex before = m_delegate->hoverIndex();
    m_delegate->setHover(index, part);
    viewport()->setCursor(m_delegate->pressable(index, part) ? Qt::PointingHandCursor
                                                             : Qt::ArrowCursor);
    if (before.isValid())
        viewport()->update(visualRect(before));
    if (index.isValid())
        viewport()->update(visualRect(index));
}

bool DrawerListView::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QListView::viewportEvent(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = indexAt(help->pos());
    const int part = index.isValid() ? partAt(index, help->pos()) : Delegate::kNone;
    const QString tip = index.isValid() ? m_delegate->tooltip(index, part) : QString();
    if (tip.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), tip, viewport(), partRect(index, part));
    }
    return true;
}
