#pragma once

#include "core/instant.h"
#include "core/value_records.h"

#include <optional>

namespace tintwell::ui {

/// The next horizon crossings within 48 hours, found by stepping one minute at a time.
struct SunEvents {
    std::optional<Instant> sunrise; ///< first step above 0° after one at or below it
    std::optional<Instant> sunset;  ///< first step below 0° after one at or above it
};

SunEvents nextSunEvents(double latitude, double longitude, Instant now);

/// Minutes the sun needs to cross a twilight band `widthDeg` wide, from its rate of climb at the
/// next sunrise; nothing in polar day or night or when the sun hardly moves.
std::optional<double> twilightMinutesEstimate(double latitude, double longitude, double widthDeg,
                                              Instant now);

/// The Kelvin the ribbon marks as "now" while one display's own values are edited: the curve of
/// those values at the current altitude.
double scopedRibbonKelvin(const core::DisplaySettings& settings, double altitudeDeg);

} // namespace tintwell::ui
