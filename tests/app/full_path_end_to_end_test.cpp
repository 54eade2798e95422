// One user's whole session on the test X server, from a settings folder that does not exist yet to
// the quit in the tray menu: every ramp back to its calibration, the settings file holding every
// change made on the way.

#include "core/scheduler_core.h"
#include "support/app_session.h"
#include "support/xdotool.h"

using namespace tintwell;
using namespace std::chrono_literals;
using namespace tintwell::test;

namespace {

// What the time zone alone tells a machine without GeoClue.
constexpr double tokyoLatitude = 35.6544, tokyoLongitude = 139.7447;

using FullPathEndToEnd = test::AppSession;

} // namespace

TEST_F(FullPathEndToEnd, FromAFreshFolderToTheTrayMenusQuit) {
    ASSERT_TRUE(QDir(dir.filePath("config")).removeRecursively()); // nothing stored yet
    ASSERT_TRUE(session.settleWindowManager());
    env.insert("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent");
    env.insert("TZ", "Asia/Tokyo");
    env.remove("QT_QPA_PLATFORM");
    const auto get = [&](const char* key) { return run({"--get", key}).second; };

    // A calibration of the user's own on one monitor, the neutral one on the other.
    ASSERT_TRUE(X11Session::xrandr({"--output", "DUMMY0", "--gamma", "0.8:0.9:1.0"}));
    const test::Ramp calibration0 = ramp("DUMMY0");
    session.writeRamp(crtc("DUMMY1"), test::identityRamp());
    const auto shows = [&](const std::string& output, double kelvin) {
        return test::rampShows(ramp(output), core::ColorTemperature::gammaRamp(kelvin, 1, 1), 3);
    };

    // The user has answered the update question already, so the first popup is the main screen
    // rather than the first-run steps.
    ASSERT_EQ(run({"--set", "updateConsent=declined"}), std::pair(0, std::string()));

    start(app);
    const auto log = [&] { return app.readAllStandardError().toStdString(); };

    // 1. Tinted for the place the time zone names, by a tick up to seconds old (twilight moves ~1 K/s).
    const auto showsTokyo = [&](const std::string& output) {
        const Instant now = instantFromSystemClock(std::chrono::system_clock::now());
        const double k = core::SchedulerCore::curveKelvin(
            core::SolarEngine::position(tokyoLatitude, tokyoLongitude, now).altitude, 6500, 3400, 12);
        return std::ranges::any_of(std::views::iota(-25, 26), [&](int d) { return shows(output, k + d); });
    };
    ASSERT_TRUE(spinUntil([&] { return showsTokyo("DUMMY0") && showsTokyo("DUMMY1"); }, 5s)) << log();

    // 2. The popup: its icon in the tray, a click, four Tabs to "Manual override", Space.
    QStringList windows;
    ASSERT_TRUE(spinUntil([&] { return (windows = visibleWindows(app.processId())).size() == 1; }, 5s))
        << log();
    const QString icon = windows.front();
    ASSERT_TRUE(xdotool({"mousemove", "--window", icon, "4", "4", "click", "1"}));
    ASSERT_TRUE(spinUntil([&] { return visibleWindows(app.processId()).size() == 2; }, 3s));
    ASSERT_TRUE(xdotool({"key", "--delay", "30", "Tab", "Tab", "Tab", "Tab", "space"}));
    ASSERT_TRUE(spinUntil([&] { return get("manualOverride") == "true"; }, 2s));
    const double manual = std::stod(get("manualKelvin"));
    ASSERT_GT(manual, 0);
    EXPECT_TRUE(spinUntil([&] { return shows("DUMMY0", manual) && shows("DUMMY1", manual); }, 2s)) << log();

    // 3. A hotkey recorded in the popup: back two Tabs to the gear, its fourth entry "Hotkeys…",
    // Tab to the first slot (Toggle Pause). Ctrl+Q belongs to "Quit Tintwell": its alert is
    // answered inside the popup, and recording goes on. Escape twice closes the screen and the
    // popup. Pressed: paused, native colours.
    ASSERT_TRUE(xdotool({"key", "--delay", "30", "shift+Tab", "shift+Tab", "space", "Down", "Down", "Down",
                         "Down", "Return", "Tab", "ctrl+q", "Return", "ctrl+alt+p", "Escape", "Escape"}));
    ASSERT_TRUE(spinUntil([&] { return visibleWindows(app.processId()).size() == 1; }, 3s));
    ASSERT_TRUE(xdotool({"key", "ctrl+alt+p"}));
    ASSERT_TRUE(spinUntil([&] { return get("paused") == "true"; }, 2s)) << log();

    EXPECT_TRUE(spinUntil([&] { return test::rampsNear(ramp("DUMMY0"), calibration0); }, 2s));
    ASSERT_TRUE(xdotool({"key", "ctrl+alt+p"}));
    ASSERT_TRUE(spinUntil([&] { return get("paused") == "false"; }, 2s));
    ASSERT_TRUE(spinUntil([&] { return shows("DUMMY0", manual); }, 2s));

    // 4. Quit from the icon's menu: its last item.
    ASSERT_TRUE(spinUntil([&] { return (windows = visibleWindows(app.processId())).size() == 1; }, 3s));
    ASSERT_TRUE(xdotool({"mousemove", "--window", windows.front(), "4", "4", "click", "3"}));
    ASSERT_TRUE(spinUntil([&] { return visibleWindows(app.processId()).size() == 2; }, 3s));
    ASSERT_TRUE(xdotool({"key", "--delay", "50", "Up", "Return"}));
    const bool quit = app.waitForFinished(10000);
    const std::string output = log();
    if (!quit) {
        app.kill();
        app.waitForFinished(5000);
    }
    ASSERT_TRUE(quit) << output;
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0) << output;
    EXPECT_TRUE(test::rampsNear(ramp("DUMMY0"), calibration0));
    EXPECT_TRUE(test::rampsNear(ramp("DUMMY1"), test::identityRamp()));

    settings::JsonFileUserDefaults defaults(settingsFile());
    const settings::AppState stored(defaults);
    EXPECT_NEAR(stored.latitude(), tokyoLatitude, 0.01);
    EXPECT_NEAR(stored.longitude(), tokyoLongitude, 0.01);
    EXPECT_TRUE(stored.manualOverride());
    EXPECT_FALSE(stored.paused());
    EXPECT_EQ(get("manualOverride"), "true");
}
