#include "engine/gamma_controller.h"
#include "platform/virtual/virtual_display_services.h"
#include "support/event_loop.h"

#include <functional>

#include <QThread>
#include <QThreadPool>

#include <gtest/gtest.h>

using namespace tintwell;
using namespace std::chrono_literals;
using namespace tintwell::engine;
using namespace tintwell::core;
using Write = platform::VirtualDisplayServices::Write;

namespace {

const auto tablesFor = [](const Target& t) {
    return ColorTemperature::gammaRamp(t.kelvin, t.brightness, t.gamma);
};
const TransferTables identityTables{ColorTemperature::identityTable(), ColorTemperature::identityTable(),
                                    ColorTemperature::identityTable()};

class GammaControllerTest : public ::testing::Test {
protected:
    using Clock = std::chrono::steady_clock;

    void SetUp() override {
        test::application();
        controller->setTimeSource([this] {
            if (stepping)
                now += std::chrono::nanoseconds(33'333'333);
            return now;
        });
    }
    void TearDown() override {
        controller.reset();
        QThreadPool::globalInstance()->waitForDone();
        QThreadPool::globalInstance()->setMaxThreadCount(QThread::idealThreadCount());
    }

    void apply(DisplayId id, Decision d, double thresholdK = 750, double durationSec = 0.3) {
        controller->apply({{id, d}}, thresholdK, Seconds(durationSec));
    }
    /// Lets every ramp finish and every queued write land.
    void settle() {
        stepping = true;
        ASSERT_TRUE(test::spinUntil([&] { return !controller->isRamping(1) && !controller->isRamping(2); }));
        QThreadPool::globalInstance()->waitForDone();
    }
    /// Runs the ramp timer until at least `count` writes have landed.
    void waitForWrites(std::size_t count) {
        ASSERT_TRUE(test::spinUntil([&] { return displays.writes().size() >= count; }));
        QThreadPool::globalInstance()->waitForDone();
    }
    std::vector<Write> writesTo(DisplayId id) {
        std::vector<Write> out = displays.writes();
        std::erase_if(out, [id](const Write& w) { return w.id != id; });
        return out;
    }
    TransferTables shown(DisplayId id) { return *displays.readTransferTables(id); }

    platform::VirtualDisplayServices displays{2};
    std::unique_ptr<GammaController> controller = std::make_unique<GammaController>(displays);
    Clock::time_point now = Clock::now();
    bool stepping = false; // each reading of the clock advances it by one frame
};

enum class Action { Nothing, Jump, Identity, Ramp };

struct DecisionRow {
    const char* name;
    std::optional<Decision> prev;
    Decision next;
    Action action;
    double thresholdK = 750;
};

TEST_F(GammaControllerTest, ChoosesTheActionFromThePreviousAndTheNewDecision) {
    const Target warm{3400, 1, 1};
    const DecisionRow rows[] = {
        {"first target", std::nullopt, warm, Action::Jump},
        {"first native", std::nullopt, Native{}, Action::Identity},
        {"target to native", warm, Native{}, Action::Identity},
        {"same target", warm, warm, Action::Nothing},
        {"exactly the threshold", warm, Target{4150, 1, 1}, Action::Jump},
        {"just above the threshold", warm, Target{4150.5, 1, 1}, Action::Ramp},
        {"far below", warm, Target{2000, 1, 1}, Action::Ramp},
        {"brightness only", Target{3400, 1.0, 1}, Target{3400, 0.5, 1}, Action::Jump},
        {"gamma with a small Kelvin step", warm, Target{3500, 1, 1.8}, Action::Jump},
        {"native to native", Native{}, Native{}, Action::Nothing},
        {"native to a far target", Native{}, Target{1900, 1, 1}, Action::Jump},
        {"zero threshold", warm, Target{3401, 1, 1}, Action::Ramp, 0},
    };
    DisplayId id = 0;
    for (const DecisionRow& row : rows) {
        SCOPED_TRACE(row.name);
        id = id == 1 ? 2 : 1;
        controller->restoreSystem();
        if (row.prev)
            apply(id, *row.prev);
        displays.clearWrites();

        apply(id, row.next, row.thresholdK);
        const auto writes = displays.writes();
        switch (row.action) {
        case Action::Nothing:
            EXPECT_TRUE(writes.empty());
            break;
        case Action::Identity:
        case Action::Jump:
            ASSERT_EQ(writes.size(), 1u);
            EXPECT_EQ(writes[0].tables, row.action == Action::Identity
                                            ? identityTables
                                            : tablesFor(std::get<Target>(row.next)));
            EXPECT_EQ(writes[0].thread, QThread::currentThreadId()); // written at once
            break;
        case Action::Ramp:
            EXPECT_TRUE(writes.empty()); // nothing is written when a ramp starts
            EXPECT_TRUE(controller->isRamping(id));
            settle();
            ASSERT_GE(displays.writes().size(), 2u);
            EXPECT_EQ(shown(id), tablesFor(std::get<Target>(row.next)));
            break;
        }
        EXPECT_FALSE(controller->isRamping(id));
    }
}

TEST_F(GammaControllerTest, RampsWriteSmoothFramesOnThePoolAndEndExactlyOnTheTarget) {
    const struct {
        double durationSec;
        std::size_t minFrames, maxFrames;
    } rows[] = {{0.3, 9, 10}, {0.0, 2, 2}, {-1.0, 2, 2}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.durationSec);
        controller->restoreSystem();
        apply(1, Target{6500, 1, 1});
        displays.clearWrites();
        apply(1, Target{2000, 0.8, 1}, 750, row.durationSec);
        settle();
        const auto writes = writesTo(1);
        EXPECT_GE(writes.size(), row.minFrames);
        EXPECT_LE(writes.size(), row.maxFrames);
        for (std::size_t i = 0; i < writes.size(); ++i) {
            EXPECT_NE(writes[i].thread, QThread::currentThreadId());
            if (i > 0) { // warming: blue falls frame after frame, never back
                EXPECT_LE(writes[i].tables.b[255], writes[i - 1].tables.b[255]) << "frame " << i;
            }
        }
        EXPECT_EQ(writes.back().tables, tablesFor({2000, 0.8, 1}));
        EXPECT_NE(writes.front().tables, tablesFor({2000, 0.8, 1}));
        stepping = false;
    }
}

TEST_F(GammaControllerTest, MidRampAFarTargetRampsFromThePreviousTargetANearOneEndsTheRamp) {
    // The first frame lands a quarter of the way in, where the eased progress is 0.25² × (3 − 0.5).
    apply(1, Target{6500, 1, 1});
    apply(1, Target{3400, 1, 1});
    now += std::chrono::milliseconds(75);
    waitForWrites(2);
    EXPECT_NEAR(displays.writes()[1].tables.b[255], tablesFor({6500 - 0.15625 * 3100, 1, 1}).b[255], 1e-5);
    apply(2, Target{6500, 1, 1}); // another display, written at once, leaves the ramp alone
    EXPECT_TRUE(controller->isRamping(1));

    const std::size_t before = displays.writes().size();
    apply(1, Target{2000, 1, 1}); // 1400 K from the last accepted target
    EXPECT_EQ(displays.writes().size(), before);
    waitForWrites(before + 1);
    EXPECT_EQ(displays.writes()[before].tables, tablesFor({3400, 1, 1})); // the new ramp's start

    apply(1, Target{2300, 1, 1}); // near the new target: written at once
    EXPECT_FALSE(controller->isRamping(1));
    EXPECT_EQ(displays.writes().back().tables, tablesFor({2300, 1, 1}));
    const std::size_t count = displays.writes().size();
    settle();
    EXPECT_EQ(displays.writes().size(), count);
    EXPECT_EQ(shown(2), tablesFor({6500, 1, 1}));
}

TEST_F(GammaControllerTest, ReapplyDuringARampEndsItOnItsTargetAndRewritesNative) {
    controller->apply({{1, Target{6500, 1, 1}}, {2, Native{}}}, 750, 300ms);
    apply(1, Target{2500, 1, 1});
    now += std::chrono::milliseconds(100);
    waitForWrites(3);
    displays.clearWrites();

    controller->reapply();
    EXPECT_FALSE(controller->isRamping(1));
    ASSERT_EQ(displays.writes().size(), 2u);
    settle();
    EXPECT_EQ(displays.writes().size(), 2u);
    EXPECT_EQ(shown(1), tablesFor({2500, 1, 1}));
    EXPECT_EQ(shown(2), identityTables);

    apply(1, Target{2500, 1, 1}); // the decision was kept
    EXPECT_EQ(displays.writes().size(), 2u);
}

// Frames queued behind slow writes must not land after a restore, a jump or the controller's end.
TEST_F(GammaControllerTest, NoQueuedFrameLandsAfterARestoreAJumpOrTheControllersEnd) {
    const struct {
        const char* name;
        std::function<void()> act;
        std::optional<TransferTables> shows; // on display 1 in the end
    } rows[] = {
        {"restore", [&] { controller->restoreSystem(); }, identityTables},
        {"jump within the threshold",
         [&] {
             apply(1, Target{2300, 1, 1});
         },
         tablesFor({2300, 1, 1})},
        {"controller gone", [&] { controller.reset(); }, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        controller = std::make_unique<GammaController>(displays);
        SetUp();
        stepping = false;
        displays.clearWrites();
        // Writes slower than frames on one pool thread: frames queue up behind each other.
        displays.setWriteDelay(std::chrono::milliseconds(45));
        QThreadPool::globalInstance()->setMaxThreadCount(1);
        apply(1, Target{6500, 1, 1});
        apply(1, Target{2000, 1, 1});
        stepping = true;
        ASSERT_TRUE(test::spinUntil([&] { return displays.writes().size() >= 3; }));

        row.act();
        const std::size_t count = displays.writes().size();
        QThreadPool::globalInstance()->waitForDone();
        test::spinUntil([] { return false; }, std::chrono::milliseconds(100)); // a stray timer fires here
        EXPECT_EQ(displays.writes().size(), count);
        if (row.shows) {
            EXPECT_EQ(shown(1), *row.shows);
        }
    }
}

TEST_F(GammaControllerTest, FramesLandInOrderWhenLaterOnesAreFaster) {
    // Every other write is slow, so a frame started later would finish first.
    displays.setWriteDelays({std::chrono::milliseconds(70), std::chrono::milliseconds(2)});
    QThreadPool::globalInstance()->setMaxThreadCount(8);
    controller->apply({{1, Target{6500, 1, 1}}, {2, Target{6500, 1, 1}}}, 750, 300ms);
    displays.clearWrites();
    controller->apply({{1, Target{2000, 1, 1}}, {2, Target{1800, 1, 1}}}, 750, 300ms);
    settle();
    EXPECT_EQ(shown(1), tablesFor({2000, 1, 1}));
    EXPECT_EQ(shown(2), tablesFor({1800, 1, 1}));
    for (DisplayId id : {1u, 2u}) {
        const auto frames = writesTo(id);
        for (std::size_t i = 1; i < frames.size(); ++i)
            EXPECT_LE(frames[i].tables.b[255], frames[i - 1].tables.b[255])
                << "frame " << i << " out of order";
    }
}

} // namespace
