#pragma once

#include "core/instant.h"
#include "core/value_records.h"

#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <variant>
#include <vector>

namespace tintwell::core {

using DecisionMap = std::unordered_map<DisplayId, Decision>;

/// The one place that decides what every display shows. Pure, deterministic, any thread.
struct SchedulerCore {
    struct Input {
        Instant now;
        double dayKelvin = settingDefault("dayKelvin");
        double nightKelvin = settingDefault("nightKelvin");
        double transitionWidthDeg = settingDefault("transitionWidthDeg");
        double brightness = settingDefault("brightness");
        double gamma = settingDefault("gamma");
        double latitude = 0;
        double longitude = 0;
        bool paused = false;
        bool manualOverride = false;
        std::optional<Instant> manualOverrideUntil;
        double manualKelvin = settingDefault("manualKelvin");
        std::vector<DisplayId> onlineDisplays;
        std::optional<AppExceptionRule> activeOverride;
        std::unordered_set<DisplayId> activeOverrideDisplays;
        std::unordered_map<DisplayId, DisplaySettings> perDisplaySettings;
    };

    struct Output {
        struct ApplyDecisions {
            DecisionMap decisions;
            bool operator==(const ApplyDecisions&) const = default;
        };
        struct RestoreSystem {
            bool operator==(const RestoreSystem&) const = default;
        };
        using Action = std::variant<ApplyDecisions, RestoreSystem>;

        double altitude = 0;       ///< degrees, always computed
        double curveKelvin = 6500; ///< the global Kelvin in force
        bool manualOverrideExpired = false;
        Action action = RestoreSystem{};
        double nextIntervalSec = 60; ///< seconds until the caller should decide again
        bool operator==(const Output&) const = default;
    };

    /// The day/night curve: smoothstep across a band of `widthDeg` (at least 0.5) centred on the horizon.
    static double curveKelvin(double altitudeDeg, double dayKelvin, double nightKelvin, double widthDeg);

    static Output decide(const Input& input);

    SchedulerCore() = delete;
};

} // namespace tintwell::core
