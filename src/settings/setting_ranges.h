#pragma once

#include "core/setting_table.h"
#include "core/value_records.h"

#include <cmath>

namespace tintwell::settings {

/// Holds the six profile values of `s` (display settings or a profile) to their ranges; true when
/// any of them moved. A value that is not a number counts as out of range and takes the lower end.
inline bool clampSix(core::DisplaySettings& s) {
    bool moved = false;
    const auto hold = [&moved](double& v, const core::SettingRow& row) {
        const double held = std::isnan(v) ? row.range.min : row.range.clamp(v);
        moved = moved || held != v || std::isnan(v);
        v = held;
    };
    hold(s.dayKelvin, core::setting("dayKelvin"));
    hold(s.nightKelvin, core::setting("nightKelvin"));
    hold(s.transitionWidthDeg, core::setting("transitionWidthDeg"));
    hold(s.brightness, core::setting("brightness"));
    hold(s.gamma, core::setting("gamma"));
    hold(s.manualKelvin, core::setting("manualKelvin"));
    return moved;
}

} // namespace tintwell::settings
