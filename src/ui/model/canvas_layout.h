#pragma once

#include "settings/display_lookup.h"

#include <vector>

#include <QPointF>
#include <QRectF>
#include <QSizeF>

namespace tintwell::ui {

/// How the arrangement canvas fits the displays: scaled uniformly and centred in the canvas less an
/// inset on every side.
struct CanvasLayout {
    double scale = 1;     ///< canvas points per display point
    QPointF originOffset; ///< top-left of the union of the displays' bounds, display coordinates
    QPointF drawOrigin;   ///< where `originOffset` lands in the canvas

    /// The fit for `displays` in a canvas of `viewSize`; scale 1 at (inset, inset) when the displays
    /// cover no area.
    static CanvasLayout compute(const std::vector<settings::DisplayInfo>& displays, const QSizeF& viewSize,
                                double inset);
    /// The tile of a display with these bounds: its place on the canvas shrunk by 1.5 points on every
    /// side (a 3-point gap between touching displays), never smaller than 1 × 1.
    QRectF tileRect(const platform::Rect& bounds) const;

    bool operator==(const CanvasLayout&) const = default;
};

} // namespace tintwell::ui
