#pragma once

#include <vector>

namespace tintwell::ui {

/// A point on the globe in degrees, north and east positive.
struct GeoPoint {
    double lat = 0;
    double lon = 0;
    bool operator==(const GeoPoint&) const = default;
};

/// One closed outline: its first point equals its last.
using GeoRing = std::vector<GeoPoint>;

/// The coarse coastline built into the program, so the map never needs the network.
struct WorldOutline {
    /// Closed rings of whole- and half-degree points, largest land mass first.
    static const std::vector<GeoRing>& continents();

    WorldOutline() = delete;
};

/// The ring with continuous longitudes, for drawing on a flat map: a step across the ±180°
/// meridian continues beyond it instead of jumping back over the whole map. A ring that crosses the
/// meridian an odd number of times goes round a pole; it is closed over that pole. Longitudes of the
/// result may lie outside [−180, 180]; drawing it again shifted by ±360° covers the other side.
GeoRing unwrapAcrossAntimeridian(const GeoRing& ring);

} // namespace tintwell::ui
