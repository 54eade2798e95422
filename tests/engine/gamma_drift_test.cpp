// A tint another program took away comes back: periodic read-back, one line per display that keeps
// refusing writes, and no false alarm while a ramp's last frame lands. The checks on request, when
// the frontmost application changes or a window closes, are run on the real X server by the
// calibration tests.

#include "engine/gamma_controller.h"
#include "platform/virtual/virtual_display_services.h"
#include "support/event_loop.h"

#include <QThreadPool>

#include <gtest/gtest.h>

using namespace tintwell;
using namespace std::chrono_literals;
using core::Target;

namespace {

const Target warm{3400, 1, 1};
const core::TransferTables warmTables = core::ColorTemperature::gammaRamp(3400, 1, 1);
const core::TransferTable straight = core::ColorTemperature::identityTable();
const core::TransferTables identity{straight, straight, straight};

QStringList engineLog;
void capture(QtMsgType, const QMessageLogContext& context, const QString& message) {
    if (context.category && QByteArray(context.category) == "tintwell.engine")
        engineLog << message;
}

class GammaDrift : public ::testing::Test {
protected:
    void SetUp() override {
        test::application();
        engineLog.clear();
        previous = qInstallMessageHandler(capture);
    }
    void TearDown() override {
        controller.reset();
        QThreadPool::globalInstance()->waitForDone();
        qInstallMessageHandler(previous);
    }
    bool shows(core::DisplayId id, const core::TransferTables& t) {
        return displays.readTransferTables(id) == t;
    }

    platform::VirtualDisplayServices displays{2};
    std::unique_ptr<engine::GammaController> controller = std::make_unique<engine::GammaController>(displays);
    QtMessageHandler previous = nullptr;
};

TEST_F(GammaDrift, ARampResetByAnotherProgramIsWrittenAgainWithinTheCheckInterval) {
    controller->setDriftCheckInterval(20ms);
    controller->apply({{1, warm}, {2, warm}}, 750, 300ms);
    displays.setTransferTables(1, identity); // another program
    EXPECT_TRUE(test::spinUntil([&] { return shows(1, warmTables); }, 1s));
    EXPECT_EQ(engineLog.filter("another program changed its ramp").size(), 1);
}

TEST_F(GammaDrift, ARampsLastFrameStillLandingIsNotTakenForDrift) {
    controller->apply({{1, warm}}, 750, 0ms);
    displays.setWriteDelay(200ms);
    controller->apply({{1, Target{6500, 1, 1}}}, 750, 100ms);
    ASSERT_TRUE(test::spinUntil([&] { return !controller->isRamping(1); }, 2s));
    EXPECT_TRUE(controller->repairDrift({1}).empty()) << "the frame on its way is ours";
    EXPECT_TRUE(engineLog.filter("another program").isEmpty()) << engineLog.join('\n').toStdString();
}

TEST_F(GammaDrift, ADisplayThatRefusesWritesIsReportedOnceAndTriedAgainQuietly) {
    controller->apply({{1, warm}}, 750, 300ms);
    displays.setTransferTables(1, identity);
    displays.setRefusesWrites(1, true);
    for (int tick = 0; tick < 5; ++tick)
        EXPECT_EQ(controller->repairDrift({1}), std::vector<core::DisplayId>{1});
    EXPECT_EQ(engineLog.size(), 2) << engineLog.join('\n').toStdString();
    EXPECT_EQ(engineLog.filter("does not take its tint").size(), 1);

    displays.setRefusesWrites(1, false);
    EXPECT_EQ(controller->repairDrift({1}).size(), 1u);
    EXPECT_TRUE(shows(1, warmTables));
}

} // namespace
