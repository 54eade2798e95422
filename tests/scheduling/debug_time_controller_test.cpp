#include "scheduling/debug_time_controller.h"

#include <cstdlib>

#include <gtest/gtest.h>

using namespace tintwell;
using namespace tintwell::scheduling;
using namespace tintwell::core;

namespace {

class RecordingTarget : public TickTarget {
public:
    explicit RecordingTarget(std::shared_ptr<Clock> initial) : clock(std::move(initial)) {}
    void setClock(std::shared_ptr<Clock> c) override {
        clock = std::move(c);
        ++clockChanges;
    }
    void tick() override { ticks.push_back(clock->now()); }

    std::shared_ptr<Clock> clock;
    int clockChanges = 0;
    std::vector<Instant> ticks;
};

constexpr double hour = 3600;

struct DebugTimeTest : ::testing::Test {
    Instant t0 = instantFromSecondsSinceEpoch(1'718'971'200); // 2024-06-21T12:00:00Z
    std::shared_ptr<FakeClock> real = std::make_shared<FakeClock>(t0);
    std::shared_ptr<RecordingTarget> target =
        std::make_shared<RecordingTarget>(std::make_shared<SystemClock>());
    int lifecycleRuns = 0;
    watchers::LifecycleObserver observer{[this] { ++lifecycleRuns; }, nullptr, {}, Seconds::zero()};
    DebugTimeController controller{target, &observer, real};

    DebugTimeTest() { observer.start(); }

    double ticked(size_t i) const { return secondsSinceEpoch(target->ticks.at(i)) - secondsSinceEpoch(t0); }
};

// The menu's jumps and reset are driven through the status item in the widget tests; here, that
// jumps add up on one frozen clock whatever real time does, and that every simulated event runs the
// lifecycle handler.
TEST_F(DebugTimeTest, JumpsAddUpOnOneFrozenClockAndSimulatedEventsRunTheLifecycleHandler) {
    controller.jump(int(hour));
    EXPECT_EQ(target->clock, controller.fakeClock());
    real->current += Seconds(600); // real time passing changes nothing while frozen
    controller.jump(int(6 * hour));
    controller.jump(int(-hour));
    EXPECT_EQ(ticked(2), 6 * hour);
    controller.resetClock();
    EXPECT_NE(dynamic_cast<SystemClock*>(target->clock.get()), nullptr);
    real->current += Seconds(24 * hour); // after the reset, a jump starts from the real time again
    controller.jump(int(hour));
    EXPECT_EQ(ticked(4), 25 * hour + 600);

    for (const auto& row : DebugTimeController::menuRows())
        if (row.title.startsWith("Simulate"))
            controller.perform(row);
    EXPECT_EQ(lifecycleRuns, 3);
}

} // namespace
