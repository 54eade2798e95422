#pragma once

#include "core/instant.h"
#include "ui/model/desktop_settings.h"
#include "ui/model/ui_callbacks.h"

#include <functional>

namespace tintwell::settings {
class AppState;
class DisplaySettingsEditor;
class ProfileManager;
} // namespace tintwell::settings
namespace tintwell::watchers {
class AppExceptionsManager;
}
namespace tintwell::platform {
class DisplayServices;
class WorkspaceServices;
} // namespace tintwell::platform
namespace tintwell::shortcuts {
class GlobalShortcuts;
}

namespace tintwell::ui {

class LocationStatus;
class MenuTracker;

/// The popup's screens.
enum class Screen { Main, Help, ProfileManager, Hotkeys, AppExceptions, Location, SaveProfile, Onboarding };

/// Everything the popup's screens read and call. The objects outlive the screens.
struct ViewContext {
    settings::AppState* state = nullptr;
    settings::DisplaySettingsEditor* editor = nullptr;
    settings::ProfileManager* profiles = nullptr;
    watchers::AppExceptionsManager* exceptions = nullptr; ///< may be null
    LocationStatus* location = nullptr;
    MenuTracker* menus = nullptr;                     ///< may be null
    platform::DisplayServices* displays = nullptr;    ///< may be null
    platform::WorkspaceServices* workspace = nullptr; ///< may be null
    shortcuts::GlobalShortcuts* shortcuts = nullptr;  ///< may be null: the hotkeys screen shows no slots
    /// Whether the first-run flow opens by itself when the popup is shown and a step is open.
    bool offerOnboarding = false;
    /// A build with an update feed: the update consent is asked and the gear menu offers updates.
    bool updatesOffered = false;
    UiCallbacks callbacks;
    DesktopSettings desktop;
    /// The current instant for relative times, "Until" entries and sun scans.
    std::function<Instant()> now;
};

} // namespace tintwell::ui
