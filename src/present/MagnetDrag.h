#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <optional>

// The main window's magnet: while attached it hangs from the top of the usable area, slides
// sideways, sags when pulled down and comes free after a firm pull; a free window dragged back
// near the top attaches again. Pure geometry over the mouse and the window's position, so the
// drag area only feeds it events and moves the window where it says.
//
// Coordinates are Qt's (y grows downwards): the top position is the usable area's top, a pull
// downwards is a positive dy, and a sag moves the window down. Positions are the body's top-left.
class MagnetDrag {
public:
    static constexpr double kBreakFreePull =
        450; // pulled further than this, an attached window lets go
    static constexpr double kSagDivisor = 482;    // sag = pull² ÷ this …
    static constexpr double kSagCap = 420;        // … up to this
    static constexpr double kSnapDistance = 120;  // a free window this close to the top attaches
    static constexpr double kRearmDistance = 150; // after coming free it must first get this far
    static constexpr double kKeptOnScreen = 80;   // points of the window that stay on screen

    // The screen the window is on: its usable area, and the window's body size.
    struct Frame {
        QRectF visible;
        QSizeF window;
        double top() const { return visible.top(); }
    };

    enum class PressResult { tracking, systemMove };

    bool magnetEnabled() const { return m_magnetEnabled; }
    bool isMagnetized() const { return m_magnetized; }
    bool dragging() const { return m_dragging; }
    bool canSnap() const { return m_canSnap; }

    // Switching the magnet on attaches the window: it goes to the top, kept inside the area.
    std::optional<QPointF> setMagnetEnabled(bool on, QPointF window, const Frame& frame);
    // The shell's placement decides whether a shown window hangs from the top.
    void setMagnetized(bool on) { m_magnetized = on; }

    PressResult press(QPointF mouse, QPointF window, const Frame& frame);
    // Where the window goes for this mouse position, if it moves.
    std::optional<QPointF> drag(QPointF mouse, QPointF window, const Frame& frame);
    std::optional<QPointF> release(QPointF window, const Frame& frame);

    // Sideways: at least 80 points stay on screen on either side.
    static double clampX(double x, const Frame& frame);
    // A free window: never above the top position, at least 80 points above the bottom.
    static double clampFreeY(double y, const Frame& frame);
    static double sag(double pull);

private:
    bool m_magnetEnabled = true;
    bool m_magnetized = true;
    bool m_dragging = false;
    bool m_canSnap = true;
    QPointF m_originMouse;
    QPointF m_originWindow;
};
