#include "WindowPlacement.h"

#include <QtMath>

#include <algorithm>

namespace {

// QRect::right() is the last pixel inside; the edges here are where the next one starts.
int rightEdge(const QRect& r) {
    return r.x() + r.width();
}

} // namespace

MainWindowPlacement placeMainWindow(const QRect& visible, QSize window,
                                    std::optional<double> iconRightEdge, bool magnetEnabled) {
    if (magnetEnabled && iconRightEdge) {
        const int x = qRound(*iconRightEdge) - window.width();
        // Not past the right edge, and then not past the left one (it wins for a too-wide window).
        const int clamped = std::max(visible.x(), std::min(x, rightEdge(visible) - window.width()));
        return {QPoint(clamped, visible.y()), true};
    }
    const QPoint centred(visible.x() + qRound((visible.width() - window.width()) / 2.0),
                         visible.y() + qRound((visible.height() - window.height()) / 2.0));
    return {centred, false};
}

TrayEdge trayEdgeOf(const QRect& screen, const QRect& icon) {
    const QPoint c = icon.center();
    const int toTop = c.y() - screen.y();
    const int toBottom = screen.y() + screen.height() - c.y();
    const int toLeft = c.x() - screen.x();
    const int toRight = rightEdge(screen) - c.x();
    // An icon near a corner counts as on the top or bottom panel, the common ones, unless it
    // sits clearly closer to a side.
    constexpr int kCornerSlack = 48;
    const int across = std::min(toTop, toBottom);
    const int aside = std::min(toLeft, toRight);
    if (across <= aside + kCornerSlack)
        return toTop <= toBottom ? TrayEdge::top : TrayEdge::bottom;
    return toLeft <= toRight ? TrayEdge::left : TrayEdge::right;
}

MainWindowPlacement placeMainWindowNearIcon(const QRect& screen, const QRect& visible,
                                            QSize window, std::optional<QRect> icon,
                                            bool magnetEnabled) {
    if (!icon || !magnetEnabled)
        return placeMainWindow(visible, window, std::nullopt, false);
    const int bottomEdge = visible.y() + visible.height();
    // Along the other axis: kept inside the area, its first edge winning when too small.
    const auto within = [](int at, int lowest, int highest) {
        return std::max(lowest, std::min(at, highest));
    };
    const int underIconX = within(rightEdge(*icon) - window.width(), visible.x(),
                                  rightEdge(visible) - window.width());
    switch (trayEdgeOf(screen, *icon)) {
    case TrayEdge::top: {
        MainWindowPlacement hung =
            placeMainWindow(visible, window, double(rightEdge(*icon)), true);
        // Without a work area the top of the area is the top of the screen, where the icon is.
        const int clear = icon->y() + icon->height();
        if (hung.topLeft.y() < clear) {
            hung.topLeft.setY(within(clear, visible.y(), bottomEdge - window.height()));
            hung.magnetized = hung.topLeft.y() == visible.y();
        }
        return hung;
    }
    case TrayEdge::bottom:
        return {QPoint(underIconX, within(std::min(icon->y(), bottomEdge) - window.height(),
                                          visible.y(), bottomEdge - window.height())),
                false};
    case TrayEdge::left:
        return {QPoint(within(std::max(rightEdge(*icon), visible.x()), visible.x(),
                              rightEdge(visible) - window.width()),
                       within(icon->y(), visible.y(), bottomEdge - window.height())),
                false};
    case TrayEdge::right:
        return {QPoint(within(std::min(icon->x(), rightEdge(visible)) - window.width(),
                              visible.x(), rightEdge(visible) - window.width()),
                       within(icon->y(), visible.y(), bottomEdge - window.height())),
                false};
    }
    return placeMainWindow(visible, window, std::nullopt, false);
}

QPoint placeAgendaPanel(const QRect& visible, QSize panel, double iconCentreX) {
    const int wanted = qRound(iconCentreX - panel.width() / 2.0);
    const int lowest = visible.x() + kAgendaPanelSideGap;
    const int highest = rightEdge(visible) - panel.width() - kAgendaPanelSideGap;
    return {std::min(std::max(wanted, lowest), highest), visible.y()};
}

QPoint placeAgendaPanelNearIcon(const QRect& screen, const QRect& visible, QSize panel,
                                const QRect& icon) {
    const int bottomEdge = visible.y() + visible.height();
    const auto within = [](int at, int lowest, int highest) {
        return std::max(lowest, std::min(at, highest));
    };
    const QPoint centred = placeAgendaPanel(visible, panel, icon.x() + icon.width() / 2.0);
    switch (trayEdgeOf(screen, icon)) {
    case TrayEdge::top:
        return {centred.x(), within(std::max(visible.y(), icon.y() + icon.height()), visible.y(),
                                    bottomEdge - panel.height())};
    case TrayEdge::bottom:
        return {centred.x(), within(std::min(icon.y(), bottomEdge) - panel.height(), visible.y(),
                                    bottomEdge - panel.height())};
    case TrayEdge::left:
        return {within(std::max(rightEdge(icon), visible.x()) + kAgendaPanelSideGap, visible.x(),
                       rightEdge(visible) - panel.width()),
                within(icon.y(), visible.y(), bottomEdge - panel.height())};
    case TrayEdge::right:
        return {within(std::min(icon.x(), rightEdge(visible)) - kAgendaPanelSideGap - panel.width(),
                       visible.x(), rightEdge(visible) - panel.width()),
                within(icon.y(), visible.y(), bottomEdge - panel.height())};
    }
    return centred;
}

qsizetype screenOfIcon(const QList<QRect>& screens, QPoint iconCentre, qsizetype fallback) {
    qsizetype nearest = fallback;
    qint64 best = -1;
    for (qsizetype i = 0; i < screens.size(); ++i) {
        const QRect& s = screens[i];
        if (s.contains(iconCentre))
            return i;
        // Distance to the screen's nearest point, squared.
        const qint64 dx = std::max({s.left() - iconCentre.x(), 0, iconCentre.x() - s.right()});
        const qint64 dy = std::max({s.top() - iconCentre.y(), 0, iconCentre.y() - s.bottom()});
        const qint64 distance = dx * dx + dy * dy;
        if (best < 0 || distance < best) {
            best = distance;
            nearest = i;
        }
    }
    return nearest;
}

