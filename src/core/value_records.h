#pragma once

#include "core/setting_table.h"
#include "core/uuid.h"

#include <cstdint>
#include <string>
#include <variant>

namespace tintwell::core {

/// The platform's 32-bit display identifier (on X11: the RandR output XID).
using DisplayId = std::uint32_t;

/// A colour target for one display.
struct Target {
    double kelvin = 6500;
    double brightness = 1;
    double gamma = 1;
    bool operator==(const Target&) const = default;
};

/// Show the display's own colours (the identity transfer table).
struct Native {
    bool operator==(const Native&) const = default;
};

/// What one display should show.
using Decision = std::variant<Target, Native>;

/// The six profile values of one display; always complete.
struct DisplaySettings {
    double dayKelvin = settingDefault("dayKelvin");
    double nightKelvin = settingDefault("nightKelvin");
    double transitionWidthDeg = settingDefault("transitionWidthDeg");
    double brightness = settingDefault("brightness");
    double gamma = settingDefault("gamma");
    double manualKelvin = settingDefault("manualKelvin");
    bool operator==(const DisplaySettings&) const = default;
};

/// A named set of the six profile values; identity in lists is `id`.
struct Profile : DisplaySettings {
    Uuid id;
    std::string name;
    bool operator==(const Profile&) const = default;
};

/// Pin a Kelvin value while the application is frontmost.
struct ForceKelvin {
    double kelvin = 0;
    bool operator==(const ForceKelvin&) const = default;
};

/// Restore native colour while the application is frontmost.
struct Disable {
    bool operator==(const Disable&) const = default;
};

using AppExceptionAction = std::variant<ForceKelvin, Disable>;

/// One per-application exception; identity in lists is `bundleId` (the application id).
struct AppExceptionRule {
    std::string bundleId;
    std::string displayName;
    AppExceptionAction action = ForceKelvin{};
    bool enabled = true;
    bool operator==(const AppExceptionRule&) const = default;
};

} // namespace tintwell::core
