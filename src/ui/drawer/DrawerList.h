#pragma once

#include <QPersistentModelIndex>
#include <QWidget>

class DrawerListView;
class DrawerRowDelegate;
class RowControlLayer;

// A drawer list with what lies over it: the rows' panels, and see-through buttons over the
// current row's painted ones. Screen readers are shown an item view's rows only, never what
// sits inside it, so both lie over the list as its siblings.
class DrawerList final : public QWidget {
    Q_OBJECT

public:
    // Takes the delegate.
    explicit DrawerList(DrawerRowDelegate* delegate, QWidget* parent = nullptr);

    DrawerListView* view() const { return m_view; }

protected:
    void showEvent(QShowEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void adopt(QWidget* panel);
    void place();
    void placePanels();
    void placeRowControls();

    DrawerListView* m_view;
    RowControlLayer* m_rowControls;
    int m_controlCount = 0;
    QPersistentModelIndex m_pressRow; // the row the buttons lie over
};
