// The time zone's principal city, from the system's own zone tables (tzdata).

#include "platform/linux/time_zone_location.h"
#include "platform/linux/time_zone_location_services.h"
#include "support/event_loop.h"
#include "support/private_bus.h"

#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tintwell::platform;

namespace {

TEST(TimeZoneLocation, PrincipalCities) {
    const struct {
        const char* zone;
        double latitude, longitude;
    } cases[] = {
        {"Europe/Berlin", 52.5, 13.3667},
        {"Asia/Tokyo", 35.6544, 139.7447},                 // seconds in the table: +353916+1394441
        {"America/Argentina/Buenos_Aires", -34.6, -58.45}, // both south and west
        {"US/Pacific", 34.0522, -118.2428},                // a link, to America/Los_Angeles
        {"Europe/Amsterdam", 52.3667, 4.9},                // only zone.tab keeps this city
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.zone);
        const auto result = locationOfZone(c.zone);
        ASSERT_TRUE(std::holds_alternative<Location>(result))
            << std::get<LocationError>(result).description.toStdString();
        const auto& location = std::get<Location>(result);
        EXPECT_NEAR(location.latitude, c.latitude, 0.001);
        EXPECT_NEAR(location.longitude, c.longitude, 0.001);
        EXPECT_EQ(location.source, LocationSource::TimeZone);
        EXPECT_FALSE(location.accuracyMeters.has_value());
    }
}

TEST(TimeZoneLocation, AZoneWithoutACityOrAMissingTableIsAFailureNotAFixAtZero) {
    // Unknown names and POSIX rules take the same way as a zone without a city.
    const auto noCity = locationOfZone("Etc/UTC");
    ASSERT_TRUE(std::holds_alternative<LocationError>(noCity));
    EXPECT_EQ(std::get<LocationError>(noCity).kind, LocationError::Kind::Failed);
    EXPECT_TRUE(std::get<LocationError>(noCity).description.contains("no principal city"));
    QTemporaryDir empty;
    const auto noTable = locationOfZone("Europe/Berlin", empty.path());
    ASSERT_TRUE(std::holds_alternative<LocationError>(noTable));
    EXPECT_TRUE(std::get<LocationError>(noTable).description.contains("zone1970.tab"));
}

TEST(TimeZoneLocation, ZoneNamesFromTzAndFromTheLocaltimeLink) {
    EXPECT_EQ(zoneNameFromTz(":Asia/Tokyo"), "Asia/Tokyo");
    EXPECT_EQ(zoneNameFromTz("/usr/share/zoneinfo/Asia/Tokyo"), "Asia/Tokyo");
    EXPECT_EQ(zoneNameFromTz(""), std::nullopt);

    QTemporaryDir dir;
    const QString link = dir.filePath("localtime");
    ASSERT_TRUE(QFile::link("/usr/share/zoneinfo/posix/Europe/Berlin", link));
    EXPECT_EQ(zoneNameFromLink(link), "Europe/Berlin");
    EXPECT_EQ(zoneNameFromLink(dir.path()), std::nullopt); // not a link
}

struct Recorder final : LocationServicesDelegate {
    void locationManagerDidUpdateLocations(LocationServices&, const std::vector<Location>& l) override {
        location = l.back();
    }
    void locationManagerDidFailWithError(LocationServices&, const LocationError& e) override { error = e; }
    void locationManagerDidChangeAuthorization(LocationServices&) override {}
    std::optional<Location> location;
    std::optional<LocationError> error;
};

/// timedated's one property that matters here.
struct FakeTimedate final : QDBusVirtualObject {
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.member() != "Get" || message.arguments().value(1) != "Timezone")
            return false;
        QDBusConnection(connection)
            .send(message.createReply(QVariant::fromValue(QDBusVariant("Europe/Berlin"))));
        return true;
    }
};

// Neither $TZ nor a link: timedated is asked.
class NoTzNoLink : public ::testing::Test {
protected:
    void SetUp() override {
        tintwell::test::application();
        saved_ = qgetenv("TZ");
        qunsetenv("TZ");
    }
    void TearDown() override {
        if (!saved_.isNull())
            qputenv("TZ", saved_);
    }
    void start(TimeZoneLocationServices& services) {
        services.setDelegate(&recorder);
        services.startUpdatingLocation();
        EXPECT_FALSE(recorder.error || recorder.location); // never inside the call
        ASSERT_TRUE(tintwell::test::spinUntil([&] { return recorder.error || recorder.location; }));
    }
    QTemporaryDir dir;
    Recorder recorder;

private:
    QByteArray saved_;
};

TEST_F(NoTzNoLink, TimedatedNamesTheZone) {
    const tintwell::test::PrivateBus bus;
    ASSERT_FALSE(bus.address().isEmpty());
    QDBusConnection service = bus.connect("timedated");
    FakeTimedate timedate;
    ASSERT_TRUE(service.registerVirtualObject("/org/freedesktop/timedate1", &timedate));
    ASSERT_TRUE(service.registerService("org.freedesktop.timedate1"));
    TimeZoneLocationServices services(
        {systemZoneinfoDirectory, dir.filePath("localtime"), bus.connect("app")});
    start(services);
    ASSERT_TRUE(recorder.location.has_value());
    EXPECT_EQ(recorder.location->description, "Europe/Berlin");
}

TEST_F(NoTzNoLink, WithoutTimedatedTheFailureSaysWhy) {
    TimeZoneLocationServices services({systemZoneinfoDirectory, dir.filePath("localtime"),
                                       QDBusConnection::connectToBus("unix:path=/nonexistent", "no-bus")});
    start(services);
    ASSERT_TRUE(recorder.error.has_value());
    EXPECT_TRUE(recorder.error->description.contains("timedated"))
        << recorder.error->description.toStdString();
    QDBusConnection::disconnectFromBus("no-bus");
}

} // namespace
