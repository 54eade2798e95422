#include "../support/qt_test_support.h"
#include "platform/linux/screensaver_wake_source.h"

#include <QProcess>

#include <gtest/gtest.h>

using tintwell::platform::LifecycleEventSource;
using tintwell::platform::ScreensaverWakeSource;
using tintwell::test::waitUntil;

namespace {

void xset(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("xset"), arguments);
    ASSERT_TRUE(process.waitForFinished(5000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
}

struct ScreensaverTest : ::testing::Test {
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "needs an X server (scripts/test-session)";
        QObject::connect(&source, &LifecycleEventSource::occurred, [this] { ++wakes; });
        ASSERT_TRUE(source.start());
    }
    ScreensaverWakeSource source;
    int wakes = 0;
};

// The dummy driver offers no DPMS, so only the screen saver itself can be driven here; the
// server ends its screen saver whenever DPMS switches the monitors back on.
TEST_F(ScreensaverTest, ScreensComingBackFromTheScreenSaverCountOnce) {
    xset({QStringLiteral("s"), QStringLiteral("activate")});
    xset({QStringLiteral("s"), QStringLiteral("reset")});
    ASSERT_TRUE(waitUntil([&] { return wakes >= 1; }));
    EXPECT_EQ(wakes, 1);
}

TEST(ScreensaverWakeSource, WithoutAnXServerItIsUnavailable) {
    ScreensaverWakeSource source(QByteArrayLiteral(":4242"));
    EXPECT_FALSE(source.start());
    source.stop();
}

} // namespace
