#pragma once

#include <algorithm>
#include <cmath>

namespace tintwell::settings {

/// The values a setting may take, the same for the settings screens, the command line and a
/// hand-edited file (whose values outside are held to the nearest end when read).
struct SettingRange {
    double min = 0;
    double max = 0;
    double clamp(double v) const { return std::clamp(v, min, max); }
    bool contains(double v) const { return v >= min && v <= max; }
};

namespace ranges {
inline constexpr SettingRange dayKelvin{2500, 10000};
inline constexpr SettingRange nightKelvin{1000, 6500};
inline constexpr SettingRange transitionWidthDeg{1, 40};
inline constexpr SettingRange brightness{0.3, 1};
inline constexpr SettingRange gamma{0.6, 2.6};
inline constexpr SettingRange manualKelvin{1000, 10000};
inline constexpr SettingRange latitude{-90, 90};
inline constexpr SettingRange longitude{-180, 180};
} // namespace ranges

/// A DisplaySettings or a Profile: a record holding the six profile values.
template <class T>
concept SixValues = requires(T& s) {
    s.dayKelvin;
    s.nightKelvin;
    s.transitionWidthDeg;
    s.brightness;
    s.gamma;
    s.manualKelvin;
};

/// Holds the six profile values of `s` to their ranges; true when any of them moved. A value that
/// is not a number counts as out of range and takes the lower end.
template <SixValues Six>
bool clampSix(Six& s) {
    bool moved = false;
    const auto hold = [&moved](double& v, SettingRange r) {
        const double held = std::isnan(v) ? r.min : r.clamp(v);
        moved = moved || held != v || std::isnan(v);
        v = held;
    };
    hold(s.dayKelvin, ranges::dayKelvin);
    hold(s.nightKelvin, ranges::nightKelvin);
    hold(s.transitionWidthDeg, ranges::transitionWidthDeg);
    hold(s.brightness, ranges::brightness);
    hold(s.gamma, ranges::gamma);
    hold(s.manualKelvin, ranges::manualKelvin);
    return moved;
}

} // namespace tintwell::settings
