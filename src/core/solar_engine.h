#pragma once

#include "core/instant.h"

namespace tintwell::core {

/// The sun's position in the local sky (NOAA solar calculator, low-precision Meeus series,
/// geometric: no refraction). Pure and stateless; safe on any thread.
struct SolarEngine {
    struct Position {
        double altitude = 0; ///< degrees above the mathematical horizon, [-90, 90]
        double azimuth = 0;  ///< degrees clockwise from true north, [0, 360)
        bool operator==(const Position&) const = default;
    };

    /// Latitude north-positive, longitude east-positive, both in degrees; inputs are not validated.
    static Position position(double latitude, double longitude, Instant date);

    SolarEngine() = delete;
};

} // namespace tintwell::core
