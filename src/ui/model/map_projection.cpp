#include "ui/model/map_projection.h"

#include <algorithm>
#include <cmath>

namespace tintwell::ui {

namespace {
double roundTo4Places(double v) {
    return std::round(v * 10000.0) / 10000.0 + 0.0;
}
} // namespace

QPointF MapProjection::project(const GeoPoint& place, const QSizeF& size) {
    return {(place.lon + 180.0) / 360.0 * size.width(), (90.0 - place.lat) / 180.0 * size.height()};
}

GeoPoint MapProjection::inverse(const QPointF& point, const QSizeF& size) {
    if (size.width() <= 0 || size.height() <= 0)
        return {};
    const double lon = point.x() / size.width() * 360.0 - 180.0;
    const double lat = 90.0 - point.y() / size.height() * 180.0;
    return {std::clamp(lat, -90.0, 90.0), std::clamp(lon, -180.0, 180.0)};
}

GeoPoint MapProjection::pick(const QPointF& pointer, const QSizeF& size) {
    const QPointF inside(std::clamp(pointer.x(), 0.0, std::max(size.width(), 0.0)),
                         std::clamp(pointer.y(), 0.0, std::max(size.height(), 0.0)));
    const GeoPoint place = inverse(inside, size);
    return {roundTo4Places(place.lat), roundTo4Places(place.lon)};
}

QPointF MapProjection::tooltipCentre(const QPointF& pointer, const QSizeF& size) {
    const double dx = pointer.x() > size.width() / 2 ? -36.0 : 36.0;
    const double dy = pointer.y() < 24.0 ? 14.0 : -14.0;
    return pointer + QPointF(dx, dy);
}

} // namespace tintwell::ui
