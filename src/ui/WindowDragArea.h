#pragma once

#include "MagnetDrag.h"

#include <QWidget>

#include <functional>

class RoundedPanel;

// Lies under the main window's content and turns drags of its background into window moves:
// through the window's magnet when it is on, else through the window system's own move.
// Presses that a control of the content accepts never reach it.
class WindowDragArea final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WindowDragArea)

public:
    // `frame` is the usable area the magnet holds the window to, read at each drag.
    WindowDragArea(RoundedPanel& window, MagnetDrag& magnet,
                   std::function<MagnetDrag::Frame()> frame, QWidget* parent = nullptr);

    void setContent(QWidget* content);
    QWidget* content() const { return m_content; }

    // Wayland gives no global positions: there the compositor moves the window.
    static bool hasGlobalCoordinates();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    RoundedPanel& m_window;
    MagnetDrag& m_magnet;
    std::function<MagnetDrag::Frame()> m_frame;
    QWidget* m_content = nullptr;
    bool m_tracking = false;
};
