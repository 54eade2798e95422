#include "engine/gamma_controller.h"
#include "platform/virtual/virtual_display_services.h"
#include "platform/virtual/virtual_workspace_services.h"
#include "scheduling/tick_loop.h"
#include "settings/app_state.h"
#include "settings/display_identity_cache.h"
#include "settings/user_defaults.h"
#include "support/event_loop.h"
#include "watchers/app_exceptions_manager.h"

#include <gtest/gtest.h>

namespace tintwell::scheduling {
namespace {

using namespace std::chrono_literals;
using namespace core;

// 2000-01-02 00:00 UTC at 0°, 0°: the sun is far below the horizon.
const Instant kMidnight = instantFromSecondsSinceEpoch(946771200);

platform::RunningApplication app(platform::ProcessId pid, const std::string& id) {
    return {pid, id, id, "", "", platform::ActivationPolicy::Regular};
}

struct Fixture {
    settings::InMemoryUserDefaults defaults;
    settings::AppState state{defaults};
    platform::VirtualDisplayServices displays{2};
    platform::VirtualWorkspaceServices workspace;
    engine::GammaController gamma{displays};
    std::vector<DisplayId> resolved;
    settings::DisplayIdentityCache identity{[this](DisplayId id) -> std::optional<std::string> {
        resolved.push_back(id);
        return id == 1 ? std::optional<std::string>("KEY-1") : std::nullopt;
    }};
    watchers::AppExceptionsManager exceptions{[this] { return state.appExceptions(); }, &workspace};
    std::shared_ptr<FakeClock> clock = std::make_shared<FakeClock>(kMidnight);
    TickLoop loop{state, gamma, &exceptions, &workspace, identity};
    std::optional<SchedulerCore::Output> last;

    Fixture() {
        test::application();
        state.setLatitude(0);
        state.setLongitude(0);
        loop.clock = clock;
        loop.onlineDisplaysProvider = [] { return std::vector<DisplayId>{1, 2}; };
        loop.displaysForPIDProvider = [](platform::ProcessId pid) {
            return std::set<DisplayId>{DisplayId(pid)};
        };
        QObject::connect(&loop, &TickLoop::ticked, [this](const SchedulerCore::Output& out) { last = out; });
        exceptions.setDebounceInterval(0s);
    }
    const DecisionMap& decisions() const {
        return std::get<SchedulerCore::Output::ApplyDecisions>(last->action).decisions;
    }
};

TEST(TickLoopTest, ResolvesDisplayKeysOnlyForOverridesAndOnce) {
    Fixture f;
    f.loop.tick();
    EXPECT_EQ(f.decisions(), (DecisionMap{{1, Target{3400, 1, 1}}, {2, Target{3400, 1, 1}}}));
    EXPECT_TRUE(f.resolved.empty());
    EXPECT_TRUE(f.state.currentKelvin() == 3400 && f.state.currentAltitude() < -40);

    // With an override, each display's key is resolved once.
    f.state.setDisplaySettings({6000, 2700, 8, 0.8, 1, 4000}, "KEY-1");
    f.loop.tick();
    f.loop.tick();
    EXPECT_EQ(f.resolved, (std::vector<DisplayId>{1, 2}));
    EXPECT_EQ(f.decisions().at(1), Decision{Target(2700, 0.8, 1)});
}

TEST(TickLoopTest, ExpiredManualOverrideIsSwitchedOffInTheTickThatAppliesTheCurve) {
    Fixture f;
    f.state.setManualOverride(true);
    f.state.setManualKelvin(5200);
    f.state.setManualOverrideUntil(kMidnight + Seconds(30));
    f.loop.tick();
    EXPECT_EQ(f.decisions().at(1), Decision{Target(5200, 1, 1)});
    EXPECT_EQ(f.loop.currentInterval(), 30);

    f.clock->current = kMidnight + Seconds(30);
    f.loop.tick();
    EXPECT_EQ(f.decisions().at(1), Decision{Target(3400, 1, 1)});
    EXPECT_FALSE(f.state.manualOverride());
    EXPECT_FALSE(f.state.manualOverrideUntil());
}

TEST(TickLoopTest, APreviewPinsEveryDisplayOverPauseAndStoresNothing) {
    Fixture f;
    f.state.setDisplaySettings({6000, 2700, 8, 0.8, 1, 4000}, "KEY-1");
    f.state.setPaused(true);
    f.defaults.clearWrites();
    f.loop.setPreviewKelvin(5100);
    f.loop.tick();
    EXPECT_EQ(f.decisions(), (DecisionMap{{1, Target{5100, 0.8, 1}}, {2, Target{5100, 1, 1}}}));
    EXPECT_TRUE(f.defaults.writtenKeys().empty());
    f.loop.setPreviewKelvin(std::nullopt);
    f.loop.tick();
    EXPECT_TRUE(std::holds_alternative<SchedulerCore::Output::RestoreSystem>(f.last->action));
}

TEST(TickLoopTest, TimerKeepsItsPhaseUntilTheIntervalChangesAndPauseRestoresEveryTick) {
    Fixture f;
    f.loop.tick();
    const QTimer* first = f.loop.timer();
    ASSERT_NE(first, nullptr);
    f.loop.tick();
    EXPECT_EQ(f.loop.timer(), first);

    f.state.setManualOverride(true);
    f.state.setManualOverrideUntil(kMidnight + Seconds(25));
    f.loop.tick();
    EXPECT_NE(f.loop.timer(), first);
    EXPECT_EQ(f.loop.timer()->interval(), 25000);

    f.state.setPaused(true); // the system calibration on every tick
    f.loop.tick();
    f.loop.tick();
    EXPECT_EQ(f.displays.restoreCount(), 2);
    EXPECT_EQ(f.state.currentKelvin(), 6500);
}

TEST(TickLoopTest, ExceptionCountsOnlyWhileItsApplicationRuns) {
    Fixture f;
    f.state.setAppExceptions({{"org.example.Viewer", "Viewer", Disable{}, true}});
    f.workspace.setFrontmostApplication(app(2, "org.example.Viewer"));
    f.exceptions.setFrontmost("org.example.Viewer");
    ASSERT_TRUE(f.exceptions.activeOverride());

    f.loop.tick(); // not among the running applications: as if there were no exception
    EXPECT_EQ(f.decisions().at(2), Decision{Target(3400, 1, 1)});
    EXPECT_EQ(f.loop.currentInterval(), 60);

    f.workspace.setRunningApplications({app(7, "org.other"), app(2, "org.example.Viewer")});
    f.loop.tick();
    EXPECT_EQ(f.decisions(), (DecisionMap{{1, Target{3400, 1, 1}}, {2, Native{}}}));
    EXPECT_EQ(f.loop.currentInterval(), 2);
}

} // namespace
} // namespace tintwell::scheduling
