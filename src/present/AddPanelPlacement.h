#pragma once

#include <QPoint>
#include <QRectF>
#include <QSizeF>

// Where the add-series panels go on screen. Every rect here is a panel's body (without its
// shadow margin) in Qt's screen coordinates, y growing downwards: "above" is a smaller y.
// The rules were drawn with y growing upwards; they are turned round here and nowhere else.
namespace AddPanelPlacement {

inline constexpr double kGap = 8;        // between the form and the panels beside it
inline constexpr double kFormMargin = 8; // form panel from the edges of the visible area
inline constexpr double kSideMargin = 4; // results and poster panels from those edges
inline constexpr double kFormRise = 167; // form's top edge above the anchor's centre

// The form centred on the anchor horizontally, its top 167 above the anchor's centre.
QPoint form(const QRectF& anchor, const QSizeF& panel, const QRectF& visible);
// Below the form (left edges aligned); else right of it; else left of it (tops aligned).
// `keepClear` (the tray icon, where the area includes it) is avoided when another place fits.
QPoint results(const QRectF& form, const QSizeF& panel, const QRectF& visible,
               const QRectF& keepClear = {});
// Left of the form, tops aligned. Where that would cover the results panel (`results`, empty
// when none shows), left of the results; where there is no room for that, below the form, then
// right of it, then above it, then right of the results; the first place that covers neither
// the form nor the results.
QPoint poster(const QRectF& form, const QSizeF& panel, const QRectF& visible,
              const QRectF& results = {}, const QRectF& keepClear = {});

// `topLeft` moved so the panel stays `margin` inside `visible` (the top-left edge wins when
// the panel is larger than the area), rounded to whole points.
QPoint clamped(QPointF topLeft, const QSizeF& panel, const QRectF& visible, double margin);

} // namespace AddPanelPlacement
