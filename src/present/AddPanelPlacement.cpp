#include "AddPanelPlacement.h"

#include <algorithm>
#include <cmath>

namespace AddPanelPlacement {

namespace {
// Touching edges are not an overlap; the gap keeps them apart anyway.
bool covers(const QRectF& a, const QRectF& b) {
    const QRectF both = a.intersected(b);
    return both.width() > 0.5 && both.height() > 0.5;
}
} // namespace

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

QPoint results(const QRectF& form, const QSizeF& panel, const QRectF& visible,
               const QRectF& keepClear) {
    const double visibleBottom = visible.y() + visible.height();
    const double visibleRight = visible.x() + visible.width();
    QPointF at(form.x(), form.y() + form.height() + kGap);
    if (at.y() + panel.height() > visibleBottom) {
        at = {form.x() + form.width() + kGap, form.y()};
        if (at.x() + panel.width() > visibleRight)
            at = {form.x() - kGap - panel.width(), form.y()};
    }
    const QPoint placed = clamped(at, panel, visible, kSideMargin);
    if (keepClear.isEmpty() || !covers(QRectF(placed, panel), keepClear))
        return placed;
    // Over the icon: the first other side that is clear of it and of the form.
    const QPointF others[] = {{form.x() + form.width() + kGap, form.y()},
                              {form.x() - kGap - panel.width(), form.y()},
                              {form.x(), form.y() - kGap - panel.height()}};
    for (const QPointF& other : others) {
        const QPoint moved = clamped(other, panel, visible, kSideMargin);
        if (!covers(QRectF(moved, panel), keepClear) && !covers(QRectF(moved, panel), form))
            return moved;
    }
    return placed;
}

QPoint poster(const QRectF& form, const QSizeF& panel, const QRectF& visible,
              const QRectF& results, const QRectF& keepClear) {
    const QPoint leftOfForm =
        clamped({form.x() - kGap - panel.width(), form.y()}, panel, visible, kSideMargin);
    if (results.isEmpty() && (keepClear.isEmpty() || !covers(QRectF(leftOfForm, panel), keepClear)))
        return leftOfForm;
    const QPointF candidates[] = {
        {form.x() - kGap - panel.width(), form.y()},
        {results.x() - kGap - panel.width(), form.y()},
        {form.x(), form.y() + form.height() + kGap},
        {form.x() + form.width() + kGap, form.y()},
        // Against a left edge the sides are taken: above the form, or right of the results.
        {form.x(), form.y() - kGap - panel.height()},
        {results.x() + results.width() + kGap, form.y()},
    };
    for (const QPointF& at : candidates) {
        const QPoint placed = clamped(at, panel, visible, kSideMargin);
        const QRectF body(placed, panel);
        if (!covers(body, form) && !covers(body, results) &&
            (keepClear.isEmpty() || !covers(body, keepClear)))
            return placed;
    }
    return leftOfForm;
}

} // namespace AddPanelPlacement
