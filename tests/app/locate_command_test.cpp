// `tintwell --locate` as a user runs it: without GeoClue (the time zone stands in) and with a fake
// GeoClue on a private bus.

#include "support/event_loop.h"
#include "support/private_bus.h"
#include "support/tintwell_process.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace tintwell;
using test::runTintwell;

namespace {

const std::pair<QString, QString> noSystemBus{"DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent"};

TEST(LocateCommand, WithoutGeoClueTheTimeZoneGivesTheFix) {
    const auto outcome = runTintwell({"--locate", "--json"}, {noSystemBus, {"TZ", "Europe/Berlin"}});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const auto j = nlohmann::json::parse(outcome.out);
    EXPECT_NEAR(j.at("latitude").get<double>(), 52.5, 0.1);
    EXPECT_NEAR(j.at("longitude").get<double>(), 13.37, 0.1);
    EXPECT_EQ(j.at("source"), "timezone");
}

// Which zones have no city is the time-zone tests' concern; here, that the command fails rather
// than print a fix at 0°, 0°.
TEST(LocateCommand, AZoneWithoutACityIsAnErrorNotAFixAtZero) {
    const auto json = runTintwell({"--locate", "--json"}, {noSystemBus, {"TZ", "Etc/UTC"}});
    EXPECT_EQ(json.status, 1);
    EXPECT_TRUE(nlohmann::json::parse(json.out).contains("error")) << json.out;
}

TEST(LocateCommand, AFixFromGeoClueIsSavedAsTheApplicationWould) {
    const test::PrivateBus bus;
    const QString address = bus.address();
    QProcess fake;
    test::launch(fake, {"fix", "-33.87", "151.21"},
                 test::environmentWith({{"DBUS_SYSTEM_BUS_ADDRESS", address}}), FAKE_GEOCLUE);
    ASSERT_TRUE(fake.waitForReadyRead(5000));
    QTemporaryDir config;

    const auto outcome = runTintwell(
        {"--locate", "--save", "--json"},
        {{"DBUS_SYSTEM_BUS_ADDRESS", address}, {"TZ", "Europe/Berlin"}, {"XDG_CONFIG_HOME", config.path()}});
    fake.kill();
    fake.waitForFinished();

    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const auto j = nlohmann::json::parse(outcome.out);
    EXPECT_EQ(j.at("source"), "geoclue");
    EXPECT_EQ(j.at("accuracy"), 5000.0);
    settings::JsonFileUserDefaults defaults(config.filePath("tintwell/defaults.json").toStdString());
    const settings::AppState stored(defaults);
    EXPECT_EQ(stored.latitude(), -33.87);
    EXPECT_EQ(stored.longitude(), 151.21);
}

} // namespace
