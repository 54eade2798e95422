#pragma once

#include <string_view>

#include <QObject>

namespace tintwell::settings {
class AppState;
}
namespace tintwell::shortcuts {
class GlobalShortcuts;
}

namespace tintwell::watchers {

/// The actions behind the six hotkeys: each changes the settings store the way the same edit in the
/// settings would, so the store's observers re-evaluate. Main thread only.
class HotkeysManager : public QObject {
    Q_OBJECT
public:
    /// Kelvin per warmer or cooler press.
    static constexpr double nudgeStepK = 250;

    /// Both must outlive the manager's handlers' use of them; the handlers do nothing once the
    /// manager is gone.
    HotkeysManager(settings::AppState& appState, shortcuts::GlobalShortcuts& shortcuts,
                   QObject* parent = nullptr);

    /// Attaches the six actions to their slots, in the hotkeys screen's order, and names them with
    /// their labels to the hot-key service. Call once.
    void installHandlers();
    /// Runs an action by name, as a press of its hotkey would: one of the six slots (its raw value
    /// or the part after "tintwell.", e.g. "togglePause"), or "pause" or "resume". False for any
    /// other name. For the window system's own key bindings where no client may grab keys.
    bool perform(std::string_view name);

    /// Applies the profile `delta` places on in the user profiles followed by the built-in
    /// presets, wrapping at both ends; without an active profile (or with one no profile has) the
    /// count starts one before the first.
    void cycleProfile(int delta);
    /// Changes the manual colour by `deltaK` Kelvin, rounded to a whole Kelvin and held to 1000 to
    /// 10000. Switches the manual override on first, starting from the day colour temperature.
    void nudgeManualKelvin(double deltaK);

private:
    settings::AppState& appState_;
    shortcuts::GlobalShortcuts& shortcuts_;
};

} // namespace tintwell::watchers
