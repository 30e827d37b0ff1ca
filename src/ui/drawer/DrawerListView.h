#pragma once

#include "DrawerRowDelegate.h"

#include <QListView>

// One of the drawer's lists: arrows move between rows that take the keyboard (over an open
// panel), Enter and Space press the current row's main button, a click on a painted button
// presses it, and the mouse over one lights it and shows its tooltip.
class DrawerListView final : public QListView {
    Q_OBJECT

public:
    // Takes the delegate.
    explicit DrawerListView(DrawerRowDelegate* delegate, QWidget* parent = nullptr);

    DrawerRowDelegate* rowDelegate() const { return m_delegate; }
    // Where a part of a row is, in the viewport's coordinates.
    QRect partRect(const QModelIndex& index, int part) const;
    // Shows a panel of real widgets as this row, replacing any it had.
    void setPanel(const QModelIndex& index, QWidget* panel);

Q_SIGNALS:
    void partPressed(const QModelIndex& index, int part);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    int partAt(const QModelIndex& index, QPoint pos) const;
    void press(const QModelIndex& index, int part);
    void setHover(const QModelIndex& index, int part);

    DrawerRowDelegate* m_delegate;
};
