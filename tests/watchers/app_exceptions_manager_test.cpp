#include "platform/virtual/virtual_workspace_services.h"
#include "support/event_loop.h"
#include "watchers/app_exceptions_manager.h"

#include <gtest/gtest.h>

namespace tintwell::watchers {
namespace {

using namespace std::chrono_literals;

using core::Disable;
using core::ForceKelvin;
using platform::RunningApplication;
using test::spinUntil;

const AppExceptionRule kEditorPinned{"org.example.Editor", "Editor", ForceKelvin{4000}, true};
const AppExceptionRule kEditorOff{"org.example.Editor", "Editor", ForceKelvin{3000}, false};
const AppExceptionRule kEditorNative{"org.example.Editor", "Editor", Disable{}, true};
const AppExceptionRule kPlayer{"org.example.Player", "Player", Disable{}, true};

const auto app = [](const std::string& id) {
    return RunningApplication{100, id, id, {}, {}, platform::ActivationPolicy::Regular};
};

struct AppExceptionsManagerTest : ::testing::Test {
    AppExceptionsManagerTest() {
        test::application();
        QObject::connect(&manager, &AppExceptionsManager::activeOverrideChanged,
                         [this](const auto& o) { published.push_back(o); });
    }
    std::vector<AppExceptionRule> rules;
    platform::VirtualWorkspaceServices workspace;
    AppExceptionsManager manager{[this] { return rules; }, &workspace};
    std::vector<std::optional<ResolvedAppOverride>> published;
};

TEST_F(AppExceptionsManagerTest, TheFirstEnabledExactMatchIsInForce) {
    const struct {
        const char* name;
        std::vector<AppExceptionRule> rules;
        std::optional<std::string> frontmost;
        std::optional<AppExceptionRule> expected;
    } cases[] = {
        {"match", {kPlayer, kEditorPinned}, "org.example.Editor", kEditorPinned},
        {"first disabled, second enabled", {kEditorOff, kEditorNative}, "org.example.Editor", kEditorNative},
        {"first enabled wins", {kEditorPinned, kEditorNative}, "org.example.Editor", kEditorPinned},
        {"only disabled", {kEditorOff}, "org.example.Editor", std::nullopt},
        {"letter case differs", {kEditorPinned}, "org.example.editor", std::nullopt},
        {"no frontmost", {kEditorPinned}, std::nullopt, std::nullopt},
    };
    manager.setDebounceInterval(0s);
    for (const auto& c : cases) {
        rules = c.rules;
        manager.setFrontmost(c.frontmost);
        manager.resolve(); // the same id again would not resolve by itself
        EXPECT_EQ(manager.activeOverride(),
                  c.expected ? std::optional(ResolvedAppOverride{*c.expected}) : std::nullopt)
            << c.name;
    }
}

TEST_F(AppExceptionsManagerTest, BurstResolvesOnceForTheLastApplication) {
    rules = {kEditorPinned, kPlayer};
    manager.setDebounceInterval(20ms);
    manager.setFrontmost("org.example.Editor");
    manager.setFrontmost("org.example.Player");
    manager.setFrontmost("org.example.Editor");
    EXPECT_FALSE(manager.activeOverride()) << "the resolve waits for the burst to end";
    ASSERT_TRUE(spinUntil([&] { return !manager.resolvePending(); }));
    ASSERT_EQ(published.size(), 1u);
    EXPECT_EQ(published[0], ResolvedAppOverride{kEditorPinned});

    manager.setFrontmost("org.example.Player");
    manager.stop(); // drops the pending resolve
    EXPECT_FALSE(manager.resolvePending());
    EXPECT_EQ(manager.frontmostBundleId(), "org.example.Player");
    spinUntil([] { return false; }, std::chrono::milliseconds(40));
    EXPECT_EQ(published.size(), 1u);
}

TEST_F(AppExceptionsManagerTest, FollowsTheWorkspaceFromStartAndIgnoresRepeatedAnnouncements) {
    rules = {kEditorPinned};
    manager.setDebounceInterval(0s);
    workspace.setFrontmostApplication(app("org.example.Editor"));
    std::vector<std::optional<std::string>> frontmost;
    QObject::connect(&manager, &AppExceptionsManager::frontmostBundleIdChanged,
                     [&](const auto& id) { frontmost.push_back(id); });

    manager.start();
    EXPECT_EQ(manager.activeOverride(), ResolvedAppOverride{kEditorPinned});
    workspace.setFrontmostApplication(app("org.example.Editor"));
    workspace.setFrontmostApplication(app("org.example.Player"));
    workspace.setFrontmostApplication(app("")); // an application without an id counts as none
    workspace.setFrontmostApplication(std::nullopt);
    const std::vector<std::optional<std::string>> expected{"org.example.Editor", "org.example.Player",
                                                           std::nullopt};
    EXPECT_EQ(frontmost, expected);
    EXPECT_FALSE(manager.activeOverride());

    manager.stop();
    workspace.setFrontmostApplication(app("org.example.Editor"));
    EXPECT_FALSE(manager.frontmostBundleId());
}

} // namespace
} // namespace tintwell::watchers
