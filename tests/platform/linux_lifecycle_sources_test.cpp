#include "platform/linux/clock_set_source.h"
#include "platform/linux/localtime_watch_source.h"
#include "platform/linux/logind_sleep_source.h"
#include "platform/linux/timedate_zone_source.h"
#include "support/event_loop.h"
#include "support/private_bus.h"

#include <ctime>

#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <unistd.h>

using namespace tintwell::platform;
using tintwell::test::spinUntil;

namespace {

struct Counter {
    explicit Counter(LifecycleEventSource& source) {
        QObject::connect(&source, &LifecycleEventSource::occurred, [this] { ++count; });
    }
    int count = 0;
};

const QString logind = "org.freedesktop.login1";
const QString logindPath = "/org/freedesktop/login1";
const QString logindManager = "org.freedesktop.login1.Manager";
const QString timedate = "org.freedesktop.timedate1";

// A private message bus stands in for the system bus: `listener` is the application's connection,
// `service` plays logind or timedated.
class PrivateBusTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon is missing";
        ASSERT_TRUE(listener.isConnected() && service.isConnected());
    }
    void send(const QString& path, const QString& interface, const QString& member,
              const QVariantList& args) {
        auto message = QDBusMessage::createSignal(path, interface, member);
        message.setArguments(args);
        ASSERT_TRUE(service.send(message));
    }

    tintwell::test::PrivateBus bus;
    QDBusConnection listener = bus.connect("listener");
    QDBusConnection service = bus.connect("service");
};

// Started before logind owns its name: the subscription follows the name to its owner. A bus
// delivers one sender's signals in order, so an event counted shows what came before it was not.
TEST_F(PrivateBusTest, LogindReportsOnlyTheWayBackFromSleep) {
    LogindSleepSource source(listener), witness(listener);
    Counter events(source), witnessed(witness);
    ASSERT_TRUE(source.start() && witness.start());
    ASSERT_TRUE(service.registerService(logind));

    send(logindPath, logindManager, "PrepareForSleep", {true});
    send(logindPath, logindManager, "PrepareForSleep", {false});
    ASSERT_TRUE(spinUntil([&] { return events.count > 0; }));
    EXPECT_EQ(events.count, 1);

    source.stop();
    send(logindPath, logindManager, "PrepareForSleep", {false});
    ASSERT_TRUE(spinUntil([&] { return witnessed.count == 2; }));
    EXPECT_EQ(events.count, 1);
}

TEST_F(PrivateBusTest, TimedateReportsOnlyTimeZoneProperties) {
    ASSERT_TRUE(service.registerService(timedate));
    TimedateZoneSource source(listener);
    Counter events(source);
    ASSERT_TRUE(source.start());

    const auto changed = [&](const QString& interface, const QVariantMap& values,
                             const QStringList& invalidated) {
        send("/org/freedesktop/timedate1", "org.freedesktop.DBus.Properties", "PropertiesChanged",
             {interface, values, invalidated});
    };
    changed(timedate, {{"NTP", true}}, {});
    changed("org.example.Other", {{"Timezone", "UTC"}}, {});
    changed(timedate, {{"Timezone", "Europe/Berlin"}}, {});
    ASSERT_TRUE(spinUntil([&] { return events.count > 0; }));
    EXPECT_EQ(events.count, 1);
    changed(timedate, {}, {"Timezone"});
    EXPECT_TRUE(spinUntil([&] { return events.count == 2; }));
}

// Setting the clock needs CAP_SYS_TIME; the clock is set to the time it already shows.
TEST(ClockSetSource, ReportsEverySettingOfTheClock) {
    tintwell::test::application();
    ClockSetSource source;
    Counter events(source);
    ASSERT_TRUE(source.start());
    for (int i = 1; i <= 2; ++i) {
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        if (::clock_settime(CLOCK_REALTIME, &now) != 0)
            GTEST_SKIP() << "cannot set the clock here";
        ASSERT_TRUE(spinUntil([&] { return events.count == i; })) << "setting " << i;
    }
}

// As timedated changes the zone: a new link beside the old one, renamed over it.
TEST(LocaltimeWatchSource, OnlyAZoneChangeCountsAndTheWatchFollowsARelink) {
    tintwell::test::application();
    QTemporaryDir dir;
    const auto write = [&](const QString& name, const QByteArray& content, QIODevice::OpenMode mode) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(mode));
        file.write(content);
    };
    ASSERT_TRUE(QDir(dir.path()).mkpath("zoneinfo"));
    write("zoneinfo/Berlin", "CET", QIODevice::WriteOnly);
    write("zoneinfo/Tokyo", "JST", QIODevice::WriteOnly);
    const QString localtime = dir.filePath("localtime");
    ASSERT_TRUE(QFile::link(dir.filePath("zoneinfo/Berlin"), localtime));
    int events = 0; // outlives the source that reports to it
    LocaltimeWatchSource source(localtime);
    QObject::connect(&source, &LifecycleEventSource::occurred, [&] { ++events; });
    ASSERT_TRUE(source.start());

    write("hosts", "127.0.0.1 localhost", QIODevice::WriteOnly);
    source.check();
    EXPECT_EQ(events, 0);
    const QString temporary = dir.filePath(".localtime.new");
    ASSERT_TRUE(QFile::link(dir.filePath("zoneinfo/Tokyo"), temporary));
    ASSERT_EQ(::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(localtime).constData()),
              0);
    ASSERT_TRUE(spinUntil([&] { return events >= 1; }));
    source.check();
    ASSERT_EQ(events, 1);

    // Only a watch renewed on the new link's file sees this; the directory shows nothing.
    write("zoneinfo/Tokyo", "JST-9", QIODevice::Append);
    ASSERT_TRUE(spinUntil([&] { return events > 1; }));
}

} // namespace
