#pragma once

// A QApplication on the offscreen platform (unless the caller chose one), and a popup wired to a
// fresh store, virtual displays and a location status, as the application wires it.

#include "platform/virtual/virtual_display_services.h"
#include "settings/app_state.h"
#include "settings/user_defaults.h"
#include "ui/location_status.h"
#include "ui/main_screen.h"
#include "ui/menu_bar_controller.h"
#include "ui/settings_view.h"

#include <memory>

#include <QApplication>
#include <QDir>
#include <QString>

namespace tintwell::test {

inline QApplication& widgetApplication() {
    static int argc = 1;
    static char name[] = "tintwell-ui-test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        auto* app = new QApplication(argc, argv);
        app->setQuitOnLastWindowClosed(false);
        QCoreApplication::setApplicationVersion(QStringLiteral("0.1.0"));
    }
    return *qobject_cast<QApplication*>(QCoreApplication::instance());
}

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

/// Where screenshots go; empty when TINTWELL_SCREENSHOT_DIR is unset.
inline QString screenshotDir() {
    const QString dir = qEnvironmentVariable("TINTWELL_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        QDir().mkpath(dir);
    return dir;
}

} // namespace tintwell::test
