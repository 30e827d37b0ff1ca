#include "AddPanelPlacement.h"

#include <algorithm>
#include <cmath>

namespace AddPanelPlacement {

QPoint clamped(QPointF topLeft, const QSizeF& panel, const QRectF& visible, double margin) {
    const double maxX = visible.x() + visible.width() - margin - panel.width();
    const double maxY = visible.y() + visible.height() - margin - panel.height();
    // min before max: a panel wider than the area keeps its left edge in view.
    const double x = std::max(std::min(topLeft.x(), maxX), visible.x() + margin);
    const double y = std::max(std::min(topLeft.y(), maxY), visible.y() + margin);
    return {static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y))};
}

QPoint form(const QRectF& anchor, const QSizeF& panel, const QRectF& visible) {
    const QPointF centre = anchor.center();
    return clamped({centre.x() - panel.width() / 2, centre.y() - kFormRise}, panel, visible,
                   kFormMargin);
}

QPoint results(const QRectF& form, const QSizeF& panel, const QRectF& visible) {
    const double visibleBottom = visible.y() + visible.height();
    const double visibleRight = visible.x() + visible.width();
    QPointF at(form.x(), form.y() + form.height() + kGap);
    if (at.y() + panel.height() > visibleBottom) {
        at = {form.x() + form.width() + kGap, form.y()};
        if (at.x() + panel.width() > visibleRight)
            at = {form.x() - kGap - panel.width(), form.y()};
    }
    return clamped(at, panel, visible, kSideMargin);
}

QPoint poster(const QRectF& form, const QSizeF& panel, const QRectF& visible) {
    return clamped({form.x() - kGap - panel.width(), form.y()}, panel, visible, kSideMargin);
}

} // namespace AddPanelPlacement
