// The running program on the test session: its icon in jwm's tray, a click opens the popup, the
// keyboard changes a setting and the displays follow, Escape and a second click close it.
#include "core/color_temperature.h"
#include "core/solar_engine.h"
#include "settings/app_state.h"
#include "settings/json_file_user_defaults.h"
#include "support/event_loop.h"
#include "support/x11_session.h"

#include <chrono>
#include <cmath>

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace tintwell;
using namespace std::chrono_literals;
using test::spinUntil;

namespace {

QStringList visibleWindows(qint64 pid) {
    QProcess p;
    p.start("xdotool", {"search", "--onlyvisible", "--pid", QString::number(pid)});
    p.waitForFinished(5000);
    return QString::fromLatin1(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

bool xdotool(const QStringList& arguments) {
    return QProcess::execute("xdotool", arguments) == 0;
}

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
               std::ranges::equal(x, y, [](int p, int q) { return std::abs(p - q) <= 2; });
    };
    return channel(a.r, b.r) && channel(a.g, b.g) && channel(a.b, b.b);
}

} // namespace

TEST(TraySession, IconClickOpensThePopupWhoseKeyboardTintsTheDisplays) {
    test::application();
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs the test X session (scripts/test-session)";
    test::X11Session session;
    ASSERT_TRUE(session.ok());
    ASSERT_TRUE(session.settleWindowManager());
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    env.insert("XDG_RUNTIME_DIR", dir.filePath("runtime"));
    env.remove("QT_QPA_PLATFORM");
    ASSERT_TRUE(QDir().mkpath(dir.filePath("runtime")));
    QFile::setPermissions(dir.filePath("runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    {
        // Local solar midnight on the equator: the displays show the night Kelvin.
        const Instant now = instantFromSystemClock(std::chrono::system_clock::now());
        const double longitude =
            std::remainder(-15.0 * std::fmod(secondsSinceEpoch(now), 86400.0) / 3600.0, 360.0);
        settings::JsonFileUserDefaults defaults(dir.filePath("config/tintwell/defaults.json").toStdString());
        settings::AppState s(defaults);
        s.setUseAutoLocation(false);
        s.setLatitude(0);
        s.setLongitude(longitude);
    }

    QProcess app;
    app.setProcessEnvironment(env);
    app.start(TINTWELL_BINARY, {});
    ASSERT_TRUE(app.waitForStarted(5000));
    const auto crtc = session.crtcOf(*session.output("DUMMY0"));
    const auto shows = [&](double kelvin) {
        return near(session.readRamp(crtc), asRamp(core::ColorTemperature::gammaRamp(kelvin, 1, 1)));
    };
    ASSERT_TRUE(spinUntil([&] { return shows(3400); }, 3s)) << app.readAllStandardError().toStdString();

    // The icon: the program's one visible window, docked in the tray.
    QStringList windows;
    ASSERT_TRUE(spinUntil([&] { return (windows = visibleWindows(app.processId())).size() == 1; }, 5s))
        << app.readAllStandardError().toStdString();
    const QString icon = windows.front();

    ASSERT_TRUE(xdotool({"mousemove", "--window", icon, "4", "4", "click", "1"}));
    ASSERT_TRUE(spinUntil([&] { return visibleWindows(app.processId()).size() == 2; }, 3s));

    // The first control has the keyboard; ten Tabs reach the Night slider: add-profile, gear, Pause,
    // Manual override, the display picker and arrangement button (two monitors), Day slider and
    // stepper, Night slider.
    QStringList keys{"key", "--delay", "30"};
    for (int i = 0; i < 10; ++i)
        keys << "Tab";
    ASSERT_TRUE(xdotool(keys << "Right"));
    const auto nightKelvin = [&] {
        QProcess get;
        get.setProcessEnvironment(env);
        get.start(TINTWELL_BINARY, {"--get", "nightKelvin"});
        get.waitForFinished(10000);
        return QString::fromLatin1(get.readAllStandardOutput()).trimmed();
    };
    EXPECT_TRUE(spinUntil([&] { return nightKelvin() == "3450"; }, 1s)) << nightKelvin().toStdString();
    EXPECT_TRUE(spinUntil([&] { return shows(3450); }, 1s));

    ASSERT_TRUE(xdotool({"key", "Escape"}));
    EXPECT_TRUE(spinUntil([&] { return visibleWindows(app.processId()).size() == 1; }, 3s));

    // Open again, and a second click on the icon closes it.
    QTest::qWait(400);
    ASSERT_TRUE(xdotool({"mousemove", "--window", icon, "4", "4", "click", "1"}));
    ASSERT_TRUE(spinUntil([&] { return visibleWindows(app.processId()).size() == 2; }, 3s));
    ASSERT_TRUE(xdotool({"mousemove", "--window", icon, "4", "4", "click", "1"}));
    EXPECT_TRUE(spinUntil([&] { return visibleWindows(app.processId()).size() == 1; }, 3s));

    app.terminate();
    EXPECT_TRUE(app.waitForFinished(10000));
}

TEST(TraySession, WithoutATrayTheProgramSaysSoOnceAndKeepsRunning) {
    test::application();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    env.insert("XDG_RUNTIME_DIR", dir.filePath("runtime"));
    env.insert("QT_QPA_PLATFORM", "offscreen"); // widgets, but no system tray
    ASSERT_TRUE(QDir().mkpath(dir.filePath("runtime")));
    QFile::setPermissions(dir.filePath("runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcess app;
    app.setProcessEnvironment(env);
    app.start(TINTWELL_BINARY, {"--backend", "virtual"});
    ASSERT_TRUE(app.waitForStarted(5000));
    QByteArray err;
    EXPECT_TRUE(
        spinUntil([&] { return (err += app.readAllStandardError()).contains("No system tray"); }, 5s));
    EXPECT_FALSE(app.waitForFinished(300)); // still running
    app.terminate();
    ASSERT_TRUE(app.waitForFinished(10000));
    err += app.readAllStandardError();
    EXPECT_EQ(err.count("No system tray"), 1) << err.toStdString();
    EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.exitCode(), 0);
}
