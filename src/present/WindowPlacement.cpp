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

QPoint placeAgendaPanel(const QRect& visible, QSize panel, double iconCentreX) {
    const int wanted = qRound(iconCentreX - panel.width() / 2.0);
    const int lowest = visible.x() + kAgendaPanelSideGap;
    const int highest = rightEdge(visible) - panel.width() - kAgendaPanelSideGap;
    return {std::min(std::max(wanted, lowest), highest), visible.y()};
}
