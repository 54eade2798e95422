#pragma once

#include "ui/model/world_outline.h"

#include <QPointF>
#include <QSizeF>

namespace tintwell::ui {

/// The location map's equirectangular projection: origin top-left, y downwards, the whole globe in
/// the map's size.
struct MapProjection {
    /// Where a place lands on a map of `size`.
    static QPointF project(const GeoPoint& place, const QSizeF& size);
    /// The place under a point of the map; latitude clamped to [−90, 90], longitude to [−180, 180].
    static GeoPoint inverse(const QPointF& point, const QSizeF& size);
    /// What a click or drag at `pointer` writes: the pointer held inside the map, the place under
    /// it, each coordinate rounded to 4 decimal places (halves away from zero).
    static GeoPoint pick(const QPointF& pointer, const QSizeF& size);
    /// Centre of the drag tooltip: 36 points beside the pointer, towards the map's wider side, and
    /// 14 points above it, or below when the pointer is within 24 points of the top edge.
    static QPointF tooltipCentre(const QPointF& pointer, const QSizeF& size);

    MapProjection() = delete;
};

} // namespace tintwell::ui
