#pragma once

// A popup wired to a fresh store, virtual displays and a location status, as the application wires
// it, on the shared offscreen QApplication.

#include "platform/virtual/virtual_display_services.h"
#include "platform/virtual/virtual_hot_key_service.h"
#include "platform/virtual/virtual_workspace_services.h"
#include "settings/app_state.h"
#include "settings/user_defaults.h"
#include "shortcuts/global_shortcuts.h"
#include "support/screen_capture.h"
#include "ui/model/location_status.h"
#include "ui/screens/main_screen.h"
#include "ui/screens/settings_view.h"
#include "ui/tray/menu_bar_controller.h"
#include "watchers/app_exceptions_manager.h"

namespace tintwell::test {

struct PopupHarness {
    explicit PopupHarness(int displayCount = 1, ui::UiCallbacks callbacks = {})
        : app(widgetApplication()), displays(displayCount), state(defaults),
          controller(state, &exceptions, location, displays, std::move(callbacks)) {
        exceptions.setDebounceInterval(Seconds(0));
        controller.setWorkspace(&workspace);
        controller.setGlobalShortcuts(&shortcuts);
        controller.install();
    }

    ui::SettingsView& view() { return *controller.settingsView(); }
    ui::MainScreen& main() { return *view().mainScreen(); }

    QApplication& app;
    settings::InMemoryUserDefaults defaults;
    platform::VirtualDisplayServices displays;
    settings::AppState state;
    ui::LocationStatus location;
    platform::VirtualWorkspaceServices workspace;
    watchers::AppExceptionsManager exceptions{[this] { return state.appExceptions(); }, nullptr};
    platform::VirtualHotKeyService hotKeys;
    shortcuts::GlobalShortcuts shortcuts{defaults, &hotKeys};
    ui::MenuBarController controller;
};

} // namespace tintwell::test
