#include "platform/x11/x11_workspace_services.h"
#include "support/event_loop.h"
#include "support/test_window.h"
#include "support/x11_session.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace tintwell::platform {
namespace {

using test::spinUntil;

using TestApplication = test::TestWindow;

class X11Workspace : public ::testing::Test {
protected:
    void SetUp() override {
        test::application();
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "needs the test X session (scripts/test-session)";
        // An earlier test may have resized the screen, after which jwm restarts and loses windows.
        ASSERT_TRUE(test::X11Session().settleWindowManager());
        workspace = X11WorkspaceServices::create();
        ASSERT_TRUE(workspace);
        ASSERT_TRUE(workspace->hasWindowManager());
    }

    std::optional<RunningApplication> running(ProcessId pid) {
        for (auto& app : workspace->runningApplications())
            if (app.pid == pid)
                return app;
        return std::nullopt;
    }
    std::vector<WindowInfo> windowsOf(ProcessId pid) {
        auto windows = workspace->onScreenWindows();
        std::erase_if(windows, [&](const WindowInfo& w) { return w.ownerPid != pid; });
        return windows;
    }
    std::string frontmostId() {
        const auto app = workspace->frontmostApplication();
        return app ? app->applicationId : "";
    }

    std::unique_ptr<X11WorkspaceServices> workspace;
};

TEST_F(X11Workspace, ActivationSwitchesTheFrontmostApplication) {
    TestApplication a("TintwellTestA", "300x200+100+100");
    TestApplication b("TintwellTestB", "300x200+1400+100");
    ASSERT_TRUE(a.ok() && b.ok());
    ASSERT_TRUE(spinUntil([&] { return running(a.pid()) && running(b.pid()); }));
    EXPECT_EQ(running(a.pid())->applicationId, "TintwellTestA");
    EXPECT_EQ(running(a.pid())->localizedName, "TintwellTestA"); // no desktop entry installed
    EXPECT_EQ(running(b.pid())->activationPolicy, ActivationPolicy::Regular);

    ASSERT_TRUE(b.activate());
    ASSERT_TRUE(spinUntil([&] { return frontmostId() == b.id(); }));
    std::vector<std::string> announced;
    QObject::connect(workspace.get(), &WorkspaceServices::frontmostApplicationChanged,
                     [&](const auto& app) { announced.push_back(app ? app->applicationId : ""); });

    // jwm announces each activation twice; only real changes come through.
    for (const TestApplication* next : {&a, &b, &a}) {
        ASSERT_TRUE(next->activate());
        ASSERT_TRUE(spinUntil([&] { return frontmostId() == next->id(); }));
    }
    EXPECT_EQ(announced, (std::vector<std::string>{a.id(), b.id(), a.id()}));
    EXPECT_EQ(workspace->frontmostApplication()->pid, a.pid());

    // When the frontmost application quits and leaves no window to activate, none is frontmost.
    b.quit();
    a.quit();
    EXPECT_TRUE(spinUntil([&] { return !workspace->frontmostApplication(); }));
}

// Which windows hold a display is decided from these facts in the display-windows tests.
TEST_F(X11Workspace, ThinWindowsAndDocksAreReportedAsTheyAre) {
    TestApplication thin("TintwellTestThin", "1x200+1400+100");
    TestApplication dock("TintwellTestDock", "1280x30+0+0", true);
    ASSERT_TRUE(thin.ok() && dock.ok());
    ASSERT_TRUE(
        spinUntil([&] { return windowsOf(thin.pid()).size() == 1 && windowsOf(dock.pid()).size() == 1; }));
    EXPECT_EQ(windowsOf(thin.pid())[0].bounds.width, 1);
    EXPECT_EQ(windowsOf(thin.pid())[0].layer, 0);
    EXPECT_GT(windowsOf(dock.pid())[0].layer, 8);
    EXPECT_EQ(running(dock.pid())->activationPolicy, ActivationPolicy::Accessory);
}

TEST_F(X11Workspace, MinimisedAndOtherDesktopWindowsAreNotOnScreen) {
    TestApplication shown("TintwellTestShown", "300x200+100+100");
    TestApplication minimised("TintwellTestMinimised", "300x200+500+100");
    TestApplication elsewhere("TintwellTestElsewhere", "300x200+1400+100");
    ASSERT_TRUE(shown.ok() && minimised.ok() && elsewhere.ok());
    ASSERT_TRUE(spinUntil([&] {
        return windowsOf(shown.pid()).size() == 1 && windowsOf(minimised.pid()).size() == 1 &&
               windowsOf(elsewhere.pid()).size() == 1;
    }));
    ASSERT_TRUE(minimised.xdo({"windowminimize", "--sync", "%w"}));
    ASSERT_TRUE(elsewhere.xdo({"set_desktop_for_window", "%w", "1"}));
    EXPECT_TRUE(
        spinUntil([&] { return windowsOf(minimised.pid()).empty() && windowsOf(elsewhere.pid()).empty(); }));
    EXPECT_EQ(windowsOf(shown.pid()).size(), 1u);
    // Still running, just not visible.
    EXPECT_TRUE(running(minimised.pid()));
    EXPECT_TRUE(running(elsewhere.pid()));
}

TEST_F(X11Workspace, AWindowWithoutItsPidIsTracedToItsProcess) {
    TestApplication app("TintwellTestNoPid", "200x150+100+100", false, false);
    ASSERT_TRUE(app.ok());
    EXPECT_TRUE(spinUntil([&] { return running(app.pid()).has_value(); }));
    EXPECT_EQ(running(app.pid()).value_or(RunningApplication{}).applicationId, app.id());
}

} // namespace
} // namespace tintwell::platform
