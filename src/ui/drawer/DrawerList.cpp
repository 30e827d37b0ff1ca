#include "DrawerList.h"

#include "DrawerListView.h"
#include "RowControlLayer.h"

#include <QApplication>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace {

const char* const kFrameName = "drawerList.panelFrame";

} // namespace

DrawerList::DrawerList(DrawerRowDelegate* delegate, QWidget* parent)
    : QWidget(parent)
    , m_view(new DrawerListView(delegate)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(m_view);
    m_rowControls = new RowControlLayer(this);
    m_rowControls->setObjectName(QStringLiteral("drawerList.rowControls"));
    connect(m_view, &DrawerListView::panelSet, this, &DrawerList::adopt);
    connect(m_view, &DrawerListView::placesChanged, this, &DrawerList::place);
}

void DrawerList::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    place();
}

void DrawerList::wheelEvent(QWheelEvent* event) {
    // A wheel over a panel scrolls the list the panel lies in.
    QApplication::sendEvent(m_view->verticalScrollBar(), event);
}

void DrawerList::adopt(QWidget* panel) {
    // Each panel in a frame of its own that clips it at the list's edges as it scrolls.
    auto* frame = new QWidget(this);
    frame->setObjectName(QString::fromLatin1(kFrameName));
    frame->hide();
    panel->setParent(frame);
    panel->show();
    connect(panel, &QObject::destroyed, frame, &QObject::deleteLater);
    // The row takes the panel's height in the list's next layout; place it after that.
    QTimer::singleShot(0, this, &DrawerList::place);
}

void DrawerList::place() {
    placePanels();
    placeRowControls();
}

void DrawerList::placePanels() {
    QWidget* viewport = m_view->viewport();
    const QRect visible(viewport->mapTo(this, QPoint(0, 0)), viewport->size());
    for (const auto& [index, panel] : m_view->panels()) {
        QWidget* frame = panel->parentWidget();
        if (!frame || frame->parentWidget() != this)
            continue;
        const QRect row = m_view->visualRect(index);
        const QRect card =
            m_view->rowDelegate()->cardIn(row, index).translated(visible.topLeft());
        const QRect shown = card & visible;
        if (shown.isEmpty()) {
            frame->hide();
            continue;
        }
        frame->setGeometry(shown);
        panel->setGeometry(QRect(card.topLeft() - shown.topLeft(), card.size()));
        frame->raise();
        frame->show();
    }
}

void DrawerList::placeRowControls() {
    const DrawerRowDelegate* delegate = m_view->rowDelegate();
    // The current row's buttons; before the keyboard chose a row, the first one's that has any.
    QModelIndex row = m_view->currentIndex();
    for (int at = 0; !row.isValid() && at < m_view->model()->rowCount(); ++at) {
        const QModelIndex candidate = m_view->model()->index(at, 0);
        if (delegate->partCount(candidate) > 0 &&
            delegate->pressable(candidate, DrawerRowDelegate::kFirstAction))
            row = candidate;
    }
    if (!row.isValid()) {
        m_rowControls->hide();
        return;
    }
    QMap<int, RowControlLayer::Control> controls;
    for (int part = DrawerRowDelegate::kFirstAction;
         part < DrawerRowDelegate::kFirstAction + delegate->partCount(row); ++part) {
        if (!delegate->pressable(row, part))
            continue;
        for (; m_controlCount <= part - DrawerRowDelegate::kFirstAction; ++m_controlCount) {
            const int key = DrawerRowDelegate::kFirstAction + m_controlCount;
            // A press acts on the row the layer lies over now, as a click there would.
            m_rowControls->add(key, QStringLiteral("drawerList.part%1").arg(m_controlCount), false,
                               [this, key] { m_view->press(m_pressRow, key); });
        }
        controls.insert(part, {m_view->partRect(row, part), delegate->partName(row, part),
                               delegate->tooltip(row, part), std::nullopt});
    }
    m_pressRow = row;
    QWidget* viewport = m_view->viewport();
    m_rowControls->place(QRect(viewport->mapTo(this, QPoint(0, 0)), viewport->size()),
                         row.data(Qt::DisplayRole).toString(), controls);
}
