#pragma once

#include "core/color_temperature.h"

#include <vector>

#include <QString>

namespace tintwell::ui {

/// One colour of the ribbon's gradient: sRGB channels in [0, 1] at `location` in [0, 1].
struct RibbonStop {
    core::ColorTemperature::Multipliers color;
    double location = 0;
    bool operator==(const RibbonStop&) const = default;
};

/// What the horizon ribbon draws: the day/night curve against the sun's altitude, on an axis of
/// −R…+R degrees (R = the twilight width, at least 1) with the horizon in the middle.
struct HorizonRibbonModel {
    double dayKelvin = 6500;
    double nightKelvin = 3400;
    double transitionWidthDeg = 12;
    double currentAltitude = 0; ///< degrees
    double currentKelvin = 6500;
    int sampleCount = 64; ///< 0, or at least 2; any other count draws no gradient

    /// R, the half-span of the axis in degrees.
    double axisRadius() const;
    /// `sampleCount` stops evenly spread from −R to +R, coloured by the scheduler's curve.
    std::vector<RibbonStop> gradientStops() const;
    /// Where the sun dot sits, as a fraction of the ribbon's width (pinned to the ends).
    double dotFraction() const;
    /// 1 while the sun lies on the axis, 0.6 when it is pinned to an end.
    double dotOpacity() const;
    /// "now 3500 K · +2.0°".
    QString nowSummary() const;
    QString nightCaption() const; ///< "3400 K"
    QString dayCaption() const;   ///< "6500 K"

    bool operator==(const HorizonRibbonModel&) const = default;
};

} // namespace tintwell::ui
