#include "platform/linux/screensaver_wake_source.h"
#include "support/event_loop.h"

#include <QProcess>

#include <gtest/gtest.h>

using tintwell::platform::ScreensaverWakeSource;

namespace {

// The dummy driver offers no DPMS, so only the screen saver itself can be driven here; the server
// ends its screen saver whenever DPMS switches the monitors back on.
TEST(ScreensaverWakeSource, ScreensComingBackFromTheScreenSaverCountOnce) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs an X server (scripts/test-session)";
    tintwell::test::application();
    ScreensaverWakeSource source;
    int wakes = 0;
    QObject::connect(&source, &ScreensaverWakeSource::occurred, [&] { ++wakes; });
    ASSERT_TRUE(source.start());
    for (const char* action : {"activate", "reset"})
        ASSERT_EQ(QProcess::execute("xset", {"s", action}), 0);
    ASSERT_TRUE(tintwell::test::spinUntil([&] { return wakes >= 1; }));
    EXPECT_EQ(wakes, 1);
}

} // namespace
