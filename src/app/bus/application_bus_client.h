#pragma once

#include <variant>

#include <QString>

namespace tintwell::app {

/// The running application's live values, as its face on the session bus gives them.
struct ApplicationStatus {
    double currentKelvin = 0;
    double currentAltitude = 0; ///< degrees
    QString activeProfile;
    QString activeException; ///< empty when none is in force
    bool paused = false;
    bool manualOverride = false;
    bool locationNeeded = false; ///< no place known yet: the displays keep their calibration
    QString backend;             ///< "x11", "wayland", "gnome", "kde" or "virtual"
};
/// No instance holds the name on the session bus.
struct NotRunning {};
/// The instance holds the name but did not answer (the bus's own sentence).
struct NoAnswer {
    QString message;
};

/// Reads the running instance's live values from the session bus.
std::variant<ApplicationStatus, NotRunning, NoAnswer> readApplicationStatus();

/// The running instance ran the action, or did not know its name.
struct ActionRan {
    bool known = false;
};
/// Asks the running instance to run a hotkey action by name (HotkeysManager::perform).
std::variant<ActionRan, NotRunning, NoAnswer> requestAction(const QString& name);

/// Asks the running instance to show its popup; false when none answers on the session bus.
bool requestShowPopup();

} // namespace tintwell::app
