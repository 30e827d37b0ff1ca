#include "MagnetDrag.h"

#include <algorithm>
#include <cmath>

double MagnetDrag::clampX(double x, const Frame& frame) {
    const double highest = frame.visible.right() - kKeptOnScreen;
    const double lowest = frame.visible.left() - frame.window.width() + kKeptOnScreen;
    return std::max(lowest, std::min(x, highest));
}

double MagnetDrag::clampFreeY(double y, const Frame& frame) {
    const double highest = frame.top(); // the smallest y: the top position
    const double lowest = frame.visible.bottom() - kKeptOnScreen;
    return std::min(std::max(y, highest), lowest);
}

double MagnetDrag::sag(double pull) {
    return std::min(pull * pull / kSagDivisor, kSagCap);
}

std::optional<QPointF> MagnetDrag::setMagnetEnabled(bool on, QPointF window, const Frame& frame) {
    m_magnetEnabled = on;
    if (!on)
        return std::nullopt;
    m_magnetized = true;
    const double x = std::max(frame.visible.left(),
                              std::min(window.x(), frame.visible.right() - frame.window.width()));
    return QPointF(x, frame.top());
}

MagnetDrag::PressResult MagnetDrag::press(QPointF mouse, QPointF window, const Frame& frame) {
    if (!m_magnetEnabled)
        return PressResult::systemMove;
    m_originMouse = mouse;
    m_originWindow = window;
    m_dragging = true;
    m_canSnap = std::abs(window.y() - frame.top()) <= kSnapDistance;
    return PressResult::tracking;
}

std::optional<QPointF> MagnetDrag::drag(QPointF mouse, QPointF window, const Frame& frame) {
    if (!m_magnetEnabled)
        return std::nullopt;
    if (!m_dragging) {
        m_originMouse = mouse;
        return std::nullopt;
    }
    const double dy = mouse.y() - m_originMouse.y();
    const double x = clampX(mouse.x() - m_originMouse.x() + m_originWindow.x(), frame);
    if (m_magnetized) {
        if (dy > kBreakFreePull) {
            m_magnetized = false;
            m_canSnap = false;
            // Re-anchor the window too: the free drag goes on from where the sag left it,
            // instead of jumping back up by the sag.
            m_originMouse = mouse;
            m_originWindow = window;
            return std::nullopt;
        }
        const double pull = std::max(0.0, dy);
        return QPointF(x, frame.top() + sag(pull));
    }
    const QPointF moved(x, clampFreeY(m_originWindow.y() + dy, frame));
    const double distance = std::abs(moved.y() - frame.top());
    if (!m_canSnap && distance > kRearmDistance)
        m_canSnap = true;
    if (m_canSnap && distance <= kSnapDistance) {
        m_magnetized = true;
        return QPointF(moved.x(), frame.top());
    }
    return moved;
}

std::optional<QPointF> MagnetDrag::release(QPointF window, const Frame& frame) {
    m_dragging = false;
    if (m_magnetEnabled && m_magnetized)
        return QPointF(window.x(), frame.top()); // any sag springs back
    return std::nullopt;
}
