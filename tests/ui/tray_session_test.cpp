// The running program where no system tray is there to dock in: it says so once and keeps running.
#include "support/event_loop.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using tintwell::test::spinUntil;

TEST(TrayAbsent, WithoutATrayTheProgramSaysSoOnceAndKeepsRunning) {
    tintwell::test::application();
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
