#include "ui/model/world_outline.h"

#include <cmath>

namespace tintwell::ui {

const std::vector<GeoRing>& WorldOutline::continents() {
#define RING(...) GeoRing{__VA_ARGS__},
    static const std::vector<GeoRing> rings = {
#include "ui/model/world_outline_data.inc"
    };
#undef RING
    return rings;
}

GeoRing unwrapAcrossAntimeridian(const GeoRing& ring) {
    GeoRing out;
    if (ring.empty())
        return out;
    out.reserve(ring.size() + 4);
    double shift = 0;
    double latSum = 0;
    out.push_back(ring.front());
    for (std::size_t i = 1; i < ring.size(); ++i) {
        const double step = ring[i].lon - ring[i - 1].lon;
        if (step > 180)
            shift -= 360;
        else if (step < -180)
            shift += 360;
        out.push_back({ring[i].lat, ring[i].lon + shift});
        latSum += ring[i].lat;
    }
    if (shift != 0) {
        // The outline went once round the globe: close it along the pole it encircles.
        const double pole = latSum >= 0 ? 90 : -90;
        const GeoPoint last = out.back();
        const GeoPoint first = out.front();
        out.push_back({pole, last.lon});
        out.push_back({pole, first.lon});
        out.push_back(first);
    }
    return out;
}

} // namespace tintwell::ui
