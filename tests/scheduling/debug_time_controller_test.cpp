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

TEST_F(DebugTimeTest, ResetWithoutFrozenTimeReplacesTheClockAndTicksOnce) {
    const auto before = target->clock;
    controller.resetClock();
    EXPECT_EQ(target->ticks.size(), 1u);
    EXPECT_EQ(target->clockChanges, 1);
    EXPECT_NE(target->clock, before);
}

TEST_F(DebugTimeTest, WithTheOwnerGoneJumpsOnlyMoveTheFrozenClock) {
    target.reset();
    controller.jump(int(hour));
    controller.jump(int(hour));
    ASSERT_NE(controller.fakeClock(), nullptr);
    EXPECT_EQ(secondsSinceEpoch(controller.fakeClock()->now()) - secondsSinceEpoch(t0), 2 * hour);
    controller.resetClock();
    EXPECT_EQ(controller.fakeClock(), nullptr);
}

TEST_F(DebugTimeTest, MenuRowsInOrderEachDoingItsAction) {
    using A = DebugTimeAction;
    const struct {
        const char* title; // none for a separator
        A action;
        int tag;
    } expected[] = {
        {"Clock", A::None, 0},
        {"Jump +1 hour", A::Jump, 3600},
        {"Jump +6 hours", A::Jump, 21600},
        {"Jump +12 hours", A::Jump, 43200},
        {"Jump \u22121 hour", A::Jump, -3600},
        {"Jump \u22126 hours", A::Jump, -21600},
        {nullptr, A::None, 0},
        {"Reset to system clock", A::ResetClock, 0},
        {nullptr, A::None, 0},
        {"System events", A::None, 0},
        {"Simulate didWake", A::SimulateWake, 0},
        {"Simulate clock change", A::SimulateClockChange, 0},
        {"Simulate timezone change", A::SimulateTZChange, 0},
    };
    EXPECT_EQ(DebugTimeController::statusTitle.toStdString(), "\U0001F9EA Time");
    EXPECT_EQ(DebugTimeController::toolTip.toStdString(),
              "Tintwell debug \u2014 time / wake / TZ simulation");

    const auto rows = DebugTimeController::menuRows();
    ASSERT_EQ(rows.size(), std::size(expected));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i].separator, !expected[i].title);
        EXPECT_EQ(rows[i].title.toStdString(), expected[i].title ? expected[i].title : "");
        EXPECT_EQ(rows[i].action, expected[i].action);
        EXPECT_EQ(rows[i].tag, expected[i].tag);
        EXPECT_EQ(rows[i].enabled, expected[i].action != A::None);
        controller.perform(rows[i]);
        if (i == 1) {
            EXPECT_EQ(target->clock, controller.fakeClock());
            real->current += Seconds(600); // real time passing changes nothing while frozen
        }
    }
    ASSERT_EQ(target->ticks.size(), 6u); // five jumps on one frozen clock, then the reset
    for (std::size_t i = 0; const double hours : {1, 7, 19, 18, 12})
        EXPECT_EQ(ticked(i++), hours * hour);
    EXPECT_EQ(controller.fakeClock(), nullptr);
    EXPECT_NE(dynamic_cast<SystemClock*>(target->clock.get()), nullptr);
    EXPECT_EQ(target->clockChanges, 2);
    EXPECT_EQ(lifecycleRuns, 3);

    real->current += Seconds(24 * hour); // after the reset, a jump starts from the real time again
    controller.jump(int(hour));
    EXPECT_EQ(ticked(6), 25 * hour + 600);
}

TEST(DebugTimeController, IsEnabledOnlyForExactlyOne) {
    const struct {
        const char* value;
        bool enabled;
    } rows[] = {{"1", true},   {"true", false}, {"0", false},  {"", false},
                {"01", false}, {"1 ", false},   {"yes", false}};
    for (const auto& row : rows) {
        ::setenv("TINTWELL_DEBUG_TIME", row.value, 1);
        EXPECT_EQ(DebugTimeController::isEnabled(), row.enabled) << '"' << row.value << '"';
    }
    ::unsetenv("TINTWELL_DEBUG_TIME");
    EXPECT_FALSE(DebugTimeController::isEnabled());
}

} // namespace
