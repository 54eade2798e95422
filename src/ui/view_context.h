#pragma once

#include "core/instant.h"
#include "ui/desktop_settings.h"
#include "ui/ui_callbacks.h"

#include <functional>

namespace tintwell::settings {
class AppState;
class DisplaySettingsEditor;
class ProfileManager;
} // namespace tintwell::settings
namespace tintwell::watchers {
class AppExceptionsManager;
}

namespace tintwell::ui {

class LocationStatus;
class MenuTracker;

/// The popup's screens.
enum class Screen { Main, Help, ProfileManager, Hotkeys, AppExceptions, Location, SaveProfile };

/// Everything the popup's screens read and call. The objects outlive the screens.
struct ViewContext {
    settings::AppState* state = nullptr;
    settings::DisplaySettingsEditor* editor = nullptr;
    settings::ProfileManager* profiles = nullptr;
    watchers::AppExceptionsManager* exceptions = nullptr; ///< may be null
    LocationStatus* location = nullptr;
    MenuTracker* menus = nullptr; ///< may be null
    UiCallbacks callbacks;
    DesktopSettings desktop;
    /// The current instant for relative times, "Until" entries and sun scans.
    std::function<Instant()> now;
};

} // namespace tintwell::ui
