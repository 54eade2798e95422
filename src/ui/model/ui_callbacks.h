#pragma once

#include <functional>
#include <optional>

namespace tintwell::ui {

/// What the interface asks of the application. Each may be empty; an empty one does nothing.
struct UiCallbacks {
    std::function<void()> onQuit;
    /// Ask the location provider for one fix ("Detect now", "Retry").
    std::function<void()> onUseCurrentLocation;
    /// Evaluate the schedule at once (the manual slider).
    std::function<void()> onManualApply;
    /// Show the displays this Kelvin for a moment, as a manual override would, without storing
    /// anything; none puts back what the schedule shows.
    std::function<void(std::optional<double> kelvin)> onPreviewKelvin;
    /// Start an update check the user asked for.
    std::function<void()> onCheckForUpdates;
    /// True while one of our menus or the popup is open, false once all are closed again; global
    /// shortcuts step aside meanwhile.
    std::function<void(bool open)> onMenuTrackingChanged;
};

inline void call(const std::function<void()>& f) {
    if (f)
        f();
}

} // namespace tintwell::ui
