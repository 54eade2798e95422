// The RandR display services against the real test X server (scripts/test-session).

#include "platform/gamma_ramp.h"
#include "platform/x11/x11_display_services.h"
#include "support/event_loop.h"
#include "support/x11_session.h"

#include <algorithm>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

using namespace tintwell;
using namespace tintwell::platform;
using core::ColorTemperature;
using test::Ramp;
using test::X11Session;

namespace {

class X11DisplayServicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::application();
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "needs the test X session (scripts/test-session)";
        ASSERT_TRUE(session.ok());
        ASSERT_TRUE(state.isValid());
        services = create(state.path());
        ASSERT_TRUE(services);
        const HardwareRamp identity = identityHardwareRamp(256);
        for (DisplayId id : services->onlineDisplays())
            session.writeRamp(session.crtcOf(id), {identity, identity, identity});
        reconfigured.emplace(services.get(), &DisplayServices::displaysReconfigured);
    }
    void TearDown() override {
        for (const QString& name : extraOutputs)
            X11Session::switchOff(name);
    }

    static std::unique_ptr<X11DisplayServices> create(const QString& dir) {
        QString error;
        auto s = X11DisplayServices::create({dir}, &error);
        EXPECT_TRUE(s) << error.toStdString();
        return s;
    }
    void switchOn(const QString& name) {
        extraOutputs << name;
        EXPECT_TRUE(X11Session::switchOn(name, 8192)); // right of every monitor the session starts with
    }
    /// Waits for the services to report a change of the monitor layout.
    bool reconfiguredOnce() {
        const bool seen = test::spinUntil([&] { return reconfigured->count() > 0; });
        reconfigured->clear();
        return seen;
    }

    X11Session session;
    QTemporaryDir state;
    std::unique_ptr<X11DisplayServices> services;
    std::optional<QSignalSpy> reconfigured;
    QStringList extraOutputs;
};

TEST_F(X11DisplayServicesTest, RestoreGivesBackTheRampFoundBeforeTheFirstWrite) {
    const auto ids = services->onlineDisplays();
    const xcb_randr_crtc_t calibrated = session.crtcOf(ids[0]);
    Ramp calibration;
    for (int i = 0; i < 256; ++i) {
        calibration.r.push_back(std::uint16_t(i * 250));
        calibration.g.push_back(std::uint16_t(i * 240));
        calibration.b.push_back(std::uint16_t(i * 200));
    }
    session.writeRamp(calibrated, calibration);
    services->restoreSystemCalibration(); // nothing written yet: nothing to give back, nothing written
    EXPECT_EQ(session.readRamp(calibrated), calibration);

    for (int round = 0; round < 2; ++round) { // as pausing, resuming and pausing again do
        SCOPED_TRACE(round);
        const auto warm = ColorTemperature::gammaRamp(2000, 1, 1);
        services->setTransferTables(ids[0], ColorTemperature::gammaRamp(3000, 1, 1));
        services->setTransferTables(ids[0], warm);
        const Ramp untinted = session.readRamp(session.crtcOf(ids[1]));
        services->setTransferTables(ids[1], ColorTemperature::gammaRamp(4500, 0.9, 1.2));
        EXPECT_TRUE(test::rampShows(session.readRamp(calibrated), warm, 0.5)); // each display its own
        EXPECT_TRUE(QFile::exists(services->savedRampsFile()));

        services->restoreSystemCalibration();
        EXPECT_EQ(session.readRamp(calibrated), calibration);
        EXPECT_EQ(session.readRamp(session.crtcOf(ids[1])), untinted);
        EXPECT_FALSE(QFile::exists(services->savedRampsFile()));
    }
}

TEST_F(X11DisplayServicesTest, AMonitorSwitchedOnIsReportedAndTintedAndKeepsItsEdidKeyAcrossOffAndOn) {
    const auto output = *session.output("DUMMY12");
    session.setEdid(output, test::fakeEdid("TW Studio 27", 4711));
    const auto removeEdid = qScopeGuard([&] { session.setEdid(output, {}); });
    switchOn("DUMMY12");
    ASSERT_TRUE(reconfiguredOnce());
    const auto ids = services->onlineDisplays();
    EXPECT_NE(std::find(ids.begin(), ids.end(), output), ids.end());
    const auto first = services->describe(output);
    ASSERT_TRUE(first && first->key);
    EXPECT_EQ(first->name, "TW Studio 27");
    EXPECT_EQ(first->bounds.width, 1024);
    EXPECT_EQ(first->gammaSize, 256);
    const auto tables = ColorTemperature::gammaRamp(2800, 1, 1);
    const Ramp found = session.readRamp(session.crtcOf(output));
    services->setTransferTables(output, tables);
    EXPECT_TRUE(test::rampShows(session.readRamp(session.crtcOf(output)), tables, 0.5));
    services->restoreSystemCalibration(); // a monitor plugged in late is given back too
    EXPECT_EQ(session.readRamp(session.crtcOf(output)), found);

    ASSERT_TRUE(X11Session::switchOff("DUMMY12"));
    ASSERT_TRUE(reconfiguredOnce());
    EXPECT_FALSE(services->describe(output));
    switchOn("DUMMY12");
    ASSERT_TRUE(reconfiguredOnce());
    const auto again = services->describe(output);
    ASSERT_TRUE(again && again->key);
    EXPECT_EQ(*again->key, *first->key);

    // Another monitor on the same connector is another display.
    session.setEdid(output, test::fakeEdid("TW Studio 27", 4712));
    ASSERT_TRUE(reconfiguredOnce());
    EXPECT_NE(*services->describe(output)->key, *first->key);
}

TEST_F(X11DisplayServicesTest, TwoMonitorsWithIdenticalEdidsGetDistinctKeysThatLast) {
    const auto left = *session.output("DUMMY12"), right = *session.output("DUMMY13");
    const auto edid = test::fakeEdid("TW Twin 24", 0);
    const auto removeEdids = qScopeGuard([&] {
        session.setEdid(left, {});
        session.setEdid(right, {});
    });
    session.setEdid(left, edid);
    switchOn("DUMMY12");
    ASSERT_TRUE(reconfiguredOnce());
    // A monitor with an EDID of its own keeps the key stored overrides were made with.
    const QByteArray bytes(reinterpret_cast<const char*>(edid.data()), qsizetype(edid.size()));
    const auto edidKey = QUuid::createUuidV5(QUuid("{5b0e7c1a-93d4-4e6f-a2b8-1c7d3f90e4a6}"), bytes)
                             .toString(QUuid::WithoutBraces)
                             .toUpper()
                             .toStdString();
    EXPECT_EQ(services->describe(left)->key, edidKey);

    session.setEdid(right, edid);
    switchOn("DUMMY13");
    ASSERT_TRUE(reconfiguredOnce());
    const auto keys = [](X11DisplayServices& s, xcb_randr_output_t a, xcb_randr_output_t b) {
        return std::pair{s.describe(a)->key.value_or(""), s.describe(b)->key.value_or("")};
    };
    const auto twins = keys(*services, left, right);
    EXPECT_NE(twins.first, twins.second);
    EXPECT_EQ(keys(*create(state.path()), left, right), twins); // the next run

    ASSERT_TRUE(X11Session::switchOff("DUMMY13"));
    ASSERT_TRUE(reconfiguredOnce());
    switchOn("DUMMY13");
    ASSERT_TRUE(reconfiguredOnce());
    EXPECT_EQ(keys(*services, left, right), twins); // plugged in again
}

} // namespace
