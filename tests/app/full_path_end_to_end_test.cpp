// One user's whole session on the test X server, from a settings folder that does not exist yet to
// the quit in the tray menu: every ramp back to its calibration, the settings file holding every
// change made on the way.

#include "core/color_temperature.h"
#include "core/scheduler_core.h"
#include "core/solar_engine.h"
#include "settings/app_state.h"
#include "settings/json_file_user_defaults.h"
#include "support/event_loop.h"
#include "support/test_window.h"
#include "support/x11_session.h"
#include "support/xdotool.h"

#include <chrono>
#include <cmath>

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tintwell;
using test::visibleWindows;
using test::xdotool;
using namespace std::chrono_literals;
using test::spinUntil;
using test::X11Session;

namespace {

// What the time zone alone tells a machine without GeoClue.
constexpr double tokyoLatitude = 35.6544, tokyoLongitude = 139.7447;

test::Ramp asRamp(const core::TransferTables& t) {
    const auto levels = [](const core::TransferTable& table) {
        std::vector<std::uint16_t> out;
        for (const float v : table)
            out.push_back(std::uint16_t(std::lround(v * 65535.0)));
        return out;
    };
    return {levels(t.r), levels(t.g), levels(t.b)};
}

bool near(const test::Ramp& a, const test::Ramp& b) {
    const auto channel = [](const std::vector<std::uint16_t>& x, const std::vector<std::uint16_t>& y) {
        return x.size() == y.size() &&
               std::ranges::equal(x, y, [](int p, int q) { return std::abs(p - q) <= 3; });
    };
    return channel(a.r, b.r) && channel(a.g, b.g) && channel(a.b, b.b);
}

} // namespace

TEST(FullPathEndToEnd, FromAFreshFolderToTheTrayMenusQuit) {
    test::application();
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs the test X session (scripts/test-session)";
    X11Session session;
    ASSERT_TRUE(session.ok());
    ASSERT_TRUE(session.settleWindowManager());
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("config/tintwell/defaults.json");
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    env.insert("XDG_RUNTIME_DIR", dir.filePath("runtime"));
    env.insert("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent");
    env.insert("TZ", "Asia/Tokyo");
    env.remove("QT_QPA_PLATFORM");
    ASSERT_TRUE(QDir().mkpath(dir.filePath("runtime")));
    QFile::setPermissions(dir.filePath("runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const auto run = [&](const QStringList& arguments) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(TINTWELL_BINARY, arguments);
        p.waitForFinished(10000);
        return QString::fromLatin1(p.readAllStandardOutput()).trimmed();
    };

    // A calibration of the user's own on one monitor, the neutral one on the other.
    ASSERT_TRUE(X11Session::xrandr({"--output", "DUMMY0", "--gamma", "0.8:0.9:1.0"}));
    const test::Ramp calibration0 = session.readRamp(session.crtcOf("DUMMY0"));
    const test::Ramp identity = asRamp(core::ColorTemperature::gammaRamp(6500, 1, 1));
    session.writeRamp(session.crtcOf("DUMMY1"), identity);
    const auto shows = [&](const std::string& output, double kelvin) {
        return near(session.readRamp(session.crtcOf(output)),
                    asRamp(core::ColorTemperature::gammaRamp(kelvin, 1, 1)));
    };

    // The user has answered the update question already, so the first popup is the main screen
    // rather than the first-run steps.
    ASSERT_TRUE(run({"--set", "updateConsent=declined"}).isEmpty());

    QProcess app;
    app.setProcessEnvironment(env);
    app.start(TINTWELL_BINARY, {});
    ASSERT_TRUE(app.waitForStarted(5000));
    const auto log = [&] { return app.readAllStandardError().toStdString(); };

    // 1. Tinted for the place the time zone names.
    const Instant now = instantFromSystemClock(std::chrono::system_clock::now());
    const double altitude = core::SolarEngine::position(tokyoLatitude, tokyoLongitude, now).altitude;
    const double scheduled = core::SchedulerCore::curveKelvin(altitude, 6500, 3400, 12);
    ASSERT_TRUE(spinUntil([&] { return shows("DUMMY0", scheduled) && shows("DUMMY1", scheduled); }, 5s))
        << log();

    // 2. The popup: its icon in the tray, a click, four Tabs to "Manual override", Space.
    QStringList windows;
    ASSERT_TRUE(spinUntil([&] { return (windows = visibleWindows(app.processId())).size() == 1; }, 5s))
        << log();
    const QString icon = windows.front();
    ASSERT_TRUE(xdotool({"mousemove", "--window", icon, "4", "4", "click", "1"}));
    ASSERT_TRUE(spinUntil([&] { return visibleWindows(app.processId()).size() == 2; }, 3s));
    ASSERT_TRUE(xdotool({"key", "--delay", "30", "Tab", "Tab", "Tab", "Tab", "space"}));
    ASSERT_TRUE(spinUntil([&] { return run({"--get", "manualOverride"}) == "true"; }, 2s));
    const double manual = run({"--get", "manualKelvin"}).toDouble();
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
    ASSERT_TRUE(spinUntil([&] { return run({"--get", "paused"}) == "true"; }, 2s)) << log();

    EXPECT_TRUE(
        spinUntil([&] { return near(session.readRamp(session.crtcOf("DUMMY0")), calibration0); }, 2s));
    ASSERT_TRUE(xdotool({"key", "ctrl+alt+p"}));
    ASSERT_TRUE(spinUntil([&] { return run({"--get", "paused"}) == "false"; }, 2s));
    ASSERT_TRUE(spinUntil([&] { return shows("DUMMY0", manual); }, 2s));

    // 4. An exempted application in front: the monitor of its window shows its own Kelvin.
    {
        settings::JsonFileUserDefaults defaults(file.toStdString());
        settings::AppState(defaults).setAppExceptions(
            {{"TintwellFullPathViewer", "Viewer", core::ForceKelvin{5000}, true}});
    }
    test::TestWindow viewer("TintwellFullPathViewer", "300x200+1400+100"); // on DUMMY1
    ASSERT_TRUE(viewer.activate());
    EXPECT_TRUE(spinUntil([&] { return shows("DUMMY1", 5000) && shows("DUMMY0", manual); }, 3s)) << log();
    viewer.quit();
    EXPECT_TRUE(spinUntil([&] { return shows("DUMMY1", manual); }, 3s));

    // 5. A monitor plugged in at run time is tinted too. It overlaps DUMMY0 so the screen keeps its
    // size and jwm its tray.
    ASSERT_TRUE(X11Session::switchOn("DUMMY2", 0));
    EXPECT_TRUE(spinUntil([&] { return shows("DUMMY2", manual); }, 3s)) << log();

    // 6. Quit from the icon's menu: its last item.
    ASSERT_TRUE(spinUntil([&] { return (windows = visibleWindows(app.processId())).size() == 1; }, 3s));
    ASSERT_TRUE(xdotool({"mousemove", "--window", windows.front(), "4", "4", "click", "3"}));
    ASSERT_TRUE(spinUntil([&] { return visibleWindows(app.processId()).size() == 2; }, 3s));
    ASSERT_TRUE(xdotool({"key", "--delay", "50", "Up", "Return"}));
    const bool quit = app.waitForFinished(10000);
    const std::string output = log();
    const bool pluggedUntinted = !shows("DUMMY2", manual);
    X11Session::switchOff("DUMMY2");
    if (!quit) {
        app.kill();
        app.waitForFinished(5000);
    }
    ASSERT_TRUE(quit) << output;
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0) << output;
    EXPECT_TRUE(near(session.readRamp(session.crtcOf("DUMMY0")), calibration0));
    EXPECT_TRUE(near(session.readRamp(session.crtcOf("DUMMY1")), identity));
    EXPECT_TRUE(pluggedUntinted);

    settings::JsonFileUserDefaults defaults(file.toStdString());
    const settings::AppState stored(defaults);
    EXPECT_NEAR(stored.latitude(), tokyoLatitude, 0.01);
    EXPECT_NEAR(stored.longitude(), tokyoLongitude, 0.01);
    EXPECT_TRUE(stored.manualOverride());
    EXPECT_FALSE(stored.paused());
    EXPECT_EQ(stored.appExceptions().size(), 1u);
    EXPECT_EQ(run({"--get", "manualOverride"}), "true");
    QProcess::execute(TINTWELL_BINARY, {"--reset"});
}
