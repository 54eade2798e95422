// The running program on the test session: its icon in jwm's tray, a click opens the popup, the
// keyboard changes a setting and the displays follow, Escape and a second click close it.
#include "support/app_session.h"
#include "support/xdotool.h"

using namespace tintwell;
using test::visibleWindows;
using test::xdotool;
using namespace std::chrono_literals;
using test::spinUntil;

using TraySession = test::AppSession;

TEST_F(TraySession, IconClickOpensThePopupWhoseKeyboardTintsTheDisplays) {
    ASSERT_TRUE(session.settleWindowManager());
    env.remove("QT_QPA_PLATFORM");
    start(app);
    const auto shows = [&](double kelvin) {
        return AppSession::shows("DUMMY0", core::ColorTemperature::gammaRamp(kelvin, 1, 1));
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
    const auto nightKelvin = [&] { return run({"--get", "nightKelvin"}).second; };
    EXPECT_TRUE(spinUntil([&] { return nightKelvin() == "3450"; }, 1s)) << nightKelvin();
    EXPECT_TRUE(spinUntil([&] { return shows(3450); }, 1s));

    ASSERT_TRUE(xdotool({"key", "Escape"}));
    EXPECT_TRUE(spinUntil([&] { return visibleWindows(app.processId()).size() == 1; }, 3s));

    // Open again, and a second click on the icon closes it. A click just after closing counts as
    // the closing click and is ignored, so the first ones may not open it.
    ASSERT_TRUE(spinUntil(
        [&] {
            xdotool({"mousemove", "--window", icon, "4", "4", "click", "1"});
            return spinUntil([&] { return visibleWindows(app.processId()).size() == 2; }, 300ms);
        },
        3s));
    ASSERT_TRUE(xdotool({"mousemove", "--window", icon, "4", "4", "click", "1"}));
    EXPECT_TRUE(spinUntil([&] { return visibleWindows(app.processId()).size() == 1; }, 3s));

    app.terminate();
    EXPECT_TRUE(app.waitForFinished(10000));
}

TEST(TrayAbsent, WithoutATrayTheProgramSaysSoOnceAndKeepsRunning) {
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
