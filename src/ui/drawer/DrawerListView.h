#pragma once

#include "DrawerRowDelegate.h"

#include <QListView>
#include <QPersistentModelIndex>
#include <QPointer>

#include <functional>
#include <utility>
#include <vector>

// One of the drawer's lists: arrows move between rows that take the keyboard (over an open
// panel), Enter and Space press the current row's main button, a click on a painted button
// presses it, and the mouse over one lights it and shows its tooltip. A row may stand for a
// panel of real widgets: the list keeps its place, the list's frame shows it (see DrawerList).
class DrawerListView final : public QListView {
    Q_OBJECT

public:
    // Takes the delegate.
    explicit DrawerListView(DrawerRowDelegate* delegate, QWidget* parent = nullptr);

    DrawerRowDelegate* rowDelegate() const { return m_delegate; }
    // Where a part of a row is, in the viewport's coordinates.
    QRect partRect(const QModelIndex& index, int part) const;
    // Shows a panel of real widgets as this row, replacing any it had; it goes with the row.
    void setPanel(const QModelIndex& index, QWidget* panel);
    QWidget* panel(const QModelIndex& index) const;
    // The rows' panels, rows still in the list only.
    std::vector<std::pair<QModelIndex, QWidget*>> panels() const;
    // Presses a part of a row as a click on it would.
    void press(const QModelIndex& index, int part);

Q_SIGNALS:
    void partPressed(const QModelIndex& index, int part);
    void panelSet(QWidget* panel);
    // Rows moved on screen, or the current row changed.
    void placesChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;
    void reset() override;

private:
    int partAt(const QModelIndex& index, QPoint pos) const;
    void setHover(const QModelIndex& index, int part);
    void dropPanels(const std::function<bool(const QPersistentModelIndex&)>& which);

    DrawerRowDelegate* m_delegate;
    std::vector<std::pair<QPersistentModelIndex, QPointer<QWidget>>> m_panels;
};
