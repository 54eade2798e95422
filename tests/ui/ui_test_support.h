#pragma once

// A popup wired to a fresh store, virtual displays and a location status, as the application wires
// it, on the shared offscreen QApplication.

#include "platform/virtual/virtual_display_services.h"
#include "settings/app_state.h"
#include "settings/user_defaults.h"
#include "support/screen_capture.h"
#include "ui/model/location_status.h"
#include "ui/screens/main_screen.h"
#include "ui/screens/settings_view.h"
#include "ui/tray/menu_bar_controller.h"

namespace tintwell::test {

struct PopupHarness {
    explicit PopupHarness(int displayCount = 1, ui::UiCallbacks callbacks = {})
        : app(widgetApplication()), displays(displayCount), state(defaults),
          controller(state, nullptr, location, displays, std::move(callbacks)) {
        controller.install();
    }

    ui::SettingsView& view() { return *controller.settingsView(); }
    ui::MainScreen& main() { return *view().mainScreen(); }

    QApplication& app;
    settings::InMemoryUserDefaults defaults;
    platform::VirtualDisplayServices displays;
    settings::AppState state;
    ui::LocationStatus location;
    ui::MenuBarController controller;
};

} // namespace tintwell::test
