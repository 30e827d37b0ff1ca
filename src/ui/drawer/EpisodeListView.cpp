#include "EpisodeListView.h"

#include "present/EpisodeListModel.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QScrollBar>
#include <QToolTip>

using Model = EpisodeListModel;

EpisodeListView::EpisodeListView(Theme& theme, QWidget* parent)
    : QListView(parent)
    , m_delegate(new EpisodeRowDelegate(theme, this)) {
    setItemDelegate(m_delegate);
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalScrollBar()->setSingleStep(24);
    setMouseTracking(true);
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
}

QRect EpisodeListView::partRect(const QModelIndex& index, Part part) const {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    return m_delegate->partRect(option, index, part);
}

EpisodeListView::Part EpisodeListView::partAt(const QModelIndex& index, QPoint pos) const {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    return m_delegate->partAt(option, index, pos);
}

void EpisodeListView::press(const QModelIndex& index) {
    if (index.isValid() && index.data(Model::PressableRole).toBool())
        Q_EMIT episodePressed(index.data(Model::CodeRole).toString());
}

void EpisodeListView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        press(currentIndex());
        return;
    case Qt::Key_Escape:
        event->ignore(); // the drawer closes
        return;
    default:
        QListView::keyPressEvent(event);
    }
}

QModelIndex EpisodeListView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
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

void EpisodeListView::mousePressEvent(QMouseEvent* event) {
    event->accept(); // rows are not selected; a click acts on release
}

void EpisodeListView::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}

void EpisodeListView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = indexAt(pos);
    if (!index.isValid() || !(index.flags() & Qt::ItemIsEnabled))
        return;
    // The keyboard carries on from the row the mouse used.
    setCurrentIndex(index);
    if (partAt(index, pos) == Part::state)
        press(index);
}

void EpisodeListView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = indexAt(pos);
    setHover(index, index.isValid() ? partAt(index, pos) : Part::none);
}

void EpisodeListView::leaveEvent(QEvent* event) {
    setHover({}, Part::none);
    QListView::leaveEvent(event);
}

void EpisodeListView::setHover(const QModelIndex& index, Part part) {
    const QPersistentModelIndex before = m_delegate->hoverIndex();
    m_delegate->setHover(index, part);
    const bool pressable = part == Part::state && index.data(Model::PressableRole).toBool();
    viewport()->setCursor(pressable ? Qt::PointingHandCursor : Qt::ArrowCursor);
    if (before.isValid())
        viewport()->update(visualRect(before));
    if (index.isValid())
        viewport()->update(visualRect(index));
}

bool EpisodeListView::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QListView::viewportEvent(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = indexAt(help->pos());
    const Part part = index.isValid() ? partAt(index, help->pos()) : Part::none;
    // The state explains itself where it needs to; elsewhere the row's full title.
    QString tip;
    if (part == Part::state)
        tip = index.data(Model::TooltipRole).toString();
    else if (part == Part::row)
        tip = index.data(Model::TitleRole).toString();
    if (tip.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), tip, viewport(), partRect(index, part));
    }
    return true;
}
