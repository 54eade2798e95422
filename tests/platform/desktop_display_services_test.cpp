// The GNOME and KDE display services against stand-ins for mutter and KWin on a private bus.

#include "platform/gamma_ramp.h"
#include "platform/gnome/gnome_display_services.h"
#include "platform/kde/kde_display_services.h"
#include "support/fake_desktop.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tintwell;
using namespace tintwell::platform;
using core::ColorTemperature;
using test::Ushorts;

namespace {

Ushorts ushorts(const HardwareRamp& ramp) {
    return {ramp.begin(), ramp.end()};
}

class GnomeDisplayServicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(bus.address().isEmpty());
        // A calibration of its own on each monitor, so giving it back is told apart from the identity.
        fake.plug(1280, 256, [](int i) { return quint16(i * 200); });
        fake.plug(1024, 1024, [](int i) { return quint16(i * 50); });
        QString error;
        services = GnomeDisplayServices::create(bus.connect("tintwell"), &error);
        ASSERT_TRUE(services) << error.toStdString();
        ids = services->onlineDisplays();
        ASSERT_EQ(ids.size(), 2u);
    }
    Ushorts red(int crtc) {
        return fake.locked([&] { return fake.crtcs[crtc].r; });
    }

    test::PrivateBus bus;
    test::FakeDesktop fake{bus};
    std::unique_ptr<GnomeDisplayServices> services;
    std::vector<DisplayId> ids;
};

TEST_F(GnomeDisplayServicesTest, WritesTheRampsRandRWouldAndGivesTheCalibrationBack) {
    const auto before0 = red(0), before1 = red(1);
    EXPECT_EQ(services->describe(ids[1])->gammaSize, 1024);
    const auto tables = ColorTemperature::gammaRamp(3400, 0.8, 1.2);
    for (const DisplayId id : ids)
        services->setTransferTables(id, tables);
    EXPECT_EQ(red(0), ushorts(toHardwareRamp(tables.r, 256)));
    EXPECT_EQ(red(1), ushorts(toHardwareRamp(tables.r, 1024)));
    EXPECT_EQ(services->readTransferTables(ids[1])->b, fromHardwareRamp(toHardwareRamp(tables.b, 1024)));
    services->restoreSystemCalibration();
    EXPECT_EQ(red(0), before0);
    EXPECT_EQ(red(1), before1);
}

TEST_F(GnomeDisplayServicesTest, FollowsHotPlugAndAStaleSerial) {
    QSignalSpy reconfigured(services.get(), &DisplayServices::displaysReconfigured);
    fake.changed(false); // mutter moved on before telling us: the write is retried with the new serial
    const auto tables = ColorTemperature::gammaRamp(2700, 1, 1);
    services->setTransferTables(ids[0], tables);
    EXPECT_EQ(red(0), ushorts(toHardwareRamp(tables.r, 256)));
    fake.plug(800, 256, [](int i) { return quint16(i * 257); });
    fake.changed(true);
    ASSERT_TRUE(test::spinUntil([&] { return reconfigured.count() > 0; }));
    EXPECT_EQ(services->onlineDisplays().size(), 3u);
}

TEST_F(GnomeDisplayServicesTest, LeavesTheTablesToGnomeNightLightAndSaysSo) {
    QSignalSpy conflict(services.get(), &DisplayServices::conflictChanged);
    const auto before = red(0);
    fake.setNightLight(true);
    ASSERT_TRUE(test::spinUntil([&] { return conflict.count() == 1; }));
    EXPECT_EQ(services->conflict(), "GNOME Night Light is on; turn it off to let Tintwell tint");
    services->setTransferTables(ids[0], ColorTemperature::gammaRamp(3000, 1, 1));
    EXPECT_EQ(red(0), before);
    EXPECT_FALSE(services->readTransferTables(ids[0]));
    fake.setNightLight(false);
    ASSERT_TRUE(test::spinUntil([&] { return conflict.count() == 2; }));
    EXPECT_EQ(services->conflict(), "");
    services->setTransferTables(ids[0], ColorTemperature::gammaRamp(3000, 1, 1));
    EXPECT_NE(red(0), before);
}

TEST_F(GnomeDisplayServicesTest, AbsorbsARefusal) {
    fake.locked([&] { fake.refuseWrites = true; });
    const auto before = red(0);
    services->setTransferTables(ids[0], ColorTemperature::gammaRamp(3000, 1, 1));
    EXPECT_EQ(red(0), before);
}

TEST(KdeDisplayServices, TemperatureOfTheTables) {
    struct Row {
        double kelvin, brightness, gamma;
        int expected;
    };
    for (const Row& row :
         {Row{1000, 1, 1, 1000}, Row{1900, 0.5, 1, 1900}, Row{3400, 0.8, 0.7, 3400}, Row{4500, 1, 2, 4500},
          Row{6500, 1, 1, 6500}, Row{9000, 1, 1, 6500}, Row{500, 1, 1, 1000}})
        EXPECT_EQ(
            KdeDisplayServices::kelvinOf(ColorTemperature::gammaRamp(row.kelvin, row.brightness, row.gamma)),
            row.expected)
            << row.kelvin;
    const auto identity = ColorTemperature::identityTable();
    EXPECT_EQ(KdeDisplayServices::kelvinOf({identity, identity, identity}), 6500);
}

TEST(KdeDisplayServices, SetsKWinsNightTemperatureAndGivesTheUsersSettingsBack) {
    test::PrivateBus bus;
    test::FakeDesktop fake{bus};
    QTemporaryDir dir;
    const QString kwinrc = dir.filePath("kwinrc");
    const QByteArray user =
        "[Compositing]\nBackend=OpenGL\n\n[NightColor]\nActive=false\nLatitudeFixed=52.5\n\n"
        "[Windows]\nFocusPolicy=ClickToFocus\n";
    const auto read = [&] {
        QFile f(kwinrc);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    QFile file(kwinrc);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(user) == user.size());
    file.close();
    const KdeDisplayServices::Options options{kwinrc, dir.filePath("state/kwin-night-color.ini")};
    QString error;
    auto services = KdeDisplayServices::create(bus.connect("tintwell"), options, &error);
    ASSERT_TRUE(services) << error.toStdString();
    EXPECT_EQ(services->capabilities().perDisplay, false);

    services->setTransferTables(KdeDisplayServices::allDisplays, ColorTemperature::gammaRamp(3400, 0.9, 1));
    EXPECT_EQ(
        read(),
        "[Compositing]\nBackend=OpenGL\n\n[NightColor]\nActive=true\nLatitudeFixed=52.5\nMode=Constant\n"
        "NightTemperature=3400\n\n[Windows]\nFocusPolicy=ClickToFocus\n");
    const auto configChanges = [&] { return fake.locked([&] { return fake.configChanges; }); };
    EXPECT_TRUE(test::spinUntil([&] { return configChanges() == 1; }));
    services->restoreSystemCalibration();
    EXPECT_EQ(read(), user);
    EXPECT_FALSE(QFile::exists(options.stateFile));
    EXPECT_TRUE(test::spinUntil([&] { return configChanges() == 2; }));

    // A run that ended without giving the settings back left the user's group in the state file.
    for (const double kelvin : {2000, 4000}) {
        services = KdeDisplayServices::create(bus.connect("tintwell"), options, &error);
        services->setTransferTables(KdeDisplayServices::allDisplays,
                                    ColorTemperature::gammaRamp(kelvin, 1, 1));
    }
    services->restoreSystemCalibration();
    EXPECT_EQ(read(), user);
}

} // namespace
