#include "../support/qt_test_support.h"
#include "platform/linux/clock_set_source.h"
#include "platform/linux/localtime_watch_source.h"
#include "platform/linux/logind_sleep_source.h"
#include "platform/linux/timedate_zone_source.h"

#include <ctime>

#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <unistd.h>

using namespace tintwell::platform;
using tintwell::test::waitUntil;

namespace {

struct Counter {
    explicit Counter(LifecycleEventSource& source) {
        QObject::connect(&source, &LifecycleEventSource::occurred, [this] { ++count; });
    }
    int count = 0;
};

} // namespace

// Receives the test's own marker signal; QtDBus needs a real slot.
class MarkerReceiver : public QObject {
    Q_OBJECT
public:
    int count = 0;
public Q_SLOTS:
    void onMarker() { ++count; }
};

namespace {

const QString logind = QStringLiteral("org.freedesktop.login1");
const QString logindPath = QStringLiteral("/org/freedesktop/login1");
const QString logindManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString timedate = QStringLiteral("org.freedesktop.timedate1");
const QString timedatePath = QStringLiteral("/org/freedesktop/timedate1");
const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");

// A private message bus stands in for the system bus: `listener` is the application's connection,
// `service` plays logind or timedated.
class PrivateBusTest : public ::testing::Test {
protected:
    void SetUp() override {
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                       QStringLiteral("--print-address=1")});
        ASSERT_TRUE(daemon_.waitForStarted(5000)) << "dbus-daemon is missing";
        ASSERT_TRUE(waitUntil([&] { return daemon_.canReadLine(); }));
        const QString address = QString::fromUtf8(daemon_.readLine()).trimmed();
        listener = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address, QStringLiteral("listener")));
        service = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address, QStringLiteral("service")));
        ASSERT_TRUE(listener->isConnected());
        ASSERT_TRUE(service->isConnected());
        ASSERT_TRUE(listener->connect({}, QStringLiteral("/marker"), QStringLiteral("org.tintwell.Test"),
                                      QStringLiteral("Marker"), &marker_, SLOT(onMarker())));
    }
    void TearDown() override {
        listener.reset();
        service.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("listener"));
        QDBusConnection::disconnectFromBus(QStringLiteral("service"));
        daemon_.terminate();
        daemon_.waitForFinished(5000);
    }

    void send(const QString& path, const QString& interface, const QString& member,
              const QVariantList& args) {
        auto message = QDBusMessage::createSignal(path, interface, member);
        message.setArguments(args);
        ASSERT_TRUE(service->send(message));
    }
    /// Returns once everything the service sent before has reached the listener: a bus delivers
    /// one sender's messages in order.
    void flush() {
        const int before = marker_.count;
        send(QStringLiteral("/marker"), QStringLiteral("org.tintwell.Test"), QStringLiteral("Marker"), {});
        ASSERT_TRUE(waitUntil([&] { return marker_.count > before; }));
    }

    std::unique_ptr<QDBusConnection> listener;
    std::unique_ptr<QDBusConnection> service;

private:
    QProcess daemon_;
    MarkerReceiver marker_;
};

// Started before logind owns its name: the subscription follows the name to its owner.
TEST_F(PrivateBusTest, LogindReportsOnlyTheWayBackFromSleep) {
    LogindSleepSource source(*listener);
    Counter events(source);
    ASSERT_TRUE(source.start());
    ASSERT_TRUE(service->registerService(logind));

    send(logindPath, logindManager, QStringLiteral("PrepareForSleep"), {true});
    flush();
    EXPECT_EQ(events.count, 0);
    send(logindPath, logindManager, QStringLiteral("PrepareForSleep"), {false});
    flush();
    EXPECT_EQ(events.count, 1);

    source.stop();
    send(logindPath, logindManager, QStringLiteral("PrepareForSleep"), {false});
    flush();
    EXPECT_EQ(events.count, 1);
}

TEST_F(PrivateBusTest, TimedateReportsOnlyTimeZoneProperties) {
    ASSERT_TRUE(service->registerService(timedate));
    TimedateZoneSource source(*listener);
    Counter events(source);
    ASSERT_TRUE(source.start());

    const auto changed = [&](const QString& interface, const QVariantMap& values,
                             const QStringList& invalidated) {
        send(timedatePath, properties, QStringLiteral("PropertiesChanged"), {interface, values, invalidated});
    };
    changed(timedate, {{QStringLiteral("NTP"), true}}, {});
    changed(QStringLiteral("org.example.Other"), {{QStringLiteral("Timezone"), QStringLiteral("UTC")}}, {});
    flush();
    EXPECT_EQ(events.count, 0);
    changed(timedate, {{QStringLiteral("Timezone"), QStringLiteral("Europe/Berlin")}}, {});
    changed(timedate, {}, {QStringLiteral("Timezone")});
    flush();
    EXPECT_EQ(events.count, 2);
}

int lifecycleWarnings = 0;

TEST(LifecycleSources, AMissingBusIsReportedOnce) {
    const auto previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString&) {
            lifecycleWarnings += type == QtWarningMsg && QByteArray(context.category) == "tintwell.lifecycle";
        });
    {
        LogindSleepSource source(
            QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent"), "broken"));
        EXPECT_FALSE(source.start());
        EXPECT_FALSE(source.start());
    }
    qInstallMessageHandler(previous);
    QDBusConnection::disconnectFromBus(QStringLiteral("broken"));
    EXPECT_EQ(lifecycleWarnings, 1);
}

// Setting the clock needs CAP_SYS_TIME; the clock is set to the time it already shows.
TEST(ClockSetSource, ReportsEverySettingOfTheClock) {
    ClockSetSource source;
    Counter events(source);
    ASSERT_TRUE(source.start());
    for (int i = 1; i <= 2; ++i) {
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        if (::clock_settime(CLOCK_REALTIME, &now) != 0)
            GTEST_SKIP() << "cannot set the clock here";
        ASSERT_TRUE(waitUntil([&] { return events.count == i; })) << "setting " << i;
    }
}

class LocaltimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("zoneinfo")));
        write(zone("Berlin"), "CET");
        write(zone("Tokyo"), "JST");
        ASSERT_TRUE(QFile::link(zone("Berlin"), localtime()));
    }
    QString zone(const char* name) const {
        return dir.filePath(QStringLiteral("zoneinfo/") + QLatin1String(name));
    }
    QString localtime() const { return dir.filePath(QStringLiteral("localtime")); }
    static void write(const QString& path, const QByteArray& content,
                      QIODevice::OpenMode mode = QIODevice::WriteOnly) {
        QFile file(path);
        ASSERT_TRUE(file.open(mode));
        file.write(content);
    }
    // As timedated does it: a new link beside the old one, renamed over it.
    void relinkAtomically(const char* name) {
        const QString temporary = dir.filePath(QStringLiteral(".localtime.new"));
        ASSERT_TRUE(QFile::link(zone(name), temporary));
        ASSERT_EQ(
            ::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(localtime()).constData()),
            0);
    }

    QTemporaryDir dir;
};

TEST_F(LocaltimeTest, OtherFilesInTheDirectoryDoNotCount) {
    LocaltimeWatchSource source(localtime());
    Counter events(source);
    ASSERT_TRUE(source.start());
    write(dir.filePath(QStringLiteral("hosts")), "127.0.0.1 localhost");
    source.check();
    EXPECT_EQ(events.count, 0);
    relinkAtomically("Tokyo");
    source.check();
    EXPECT_EQ(events.count, 1);
    source.check();
    EXPECT_EQ(events.count, 1);
}

TEST_F(LocaltimeTest, NoticesARelinkAndThenChangesToTheNewZoneFile) {
    LocaltimeWatchSource source(localtime());
    Counter events(source);
    ASSERT_TRUE(source.start());
    relinkAtomically("Tokyo");
    ASSERT_TRUE(waitUntil([&] { return events.count >= 1; }));

    // Only a watch renewed on the new link's file sees this; the directory shows nothing.
    const int before = events.count;
    write(zone("Tokyo"), "JST-9", QIODevice::Append);
    ASSERT_TRUE(waitUntil([&] { return events.count > before; }));
}

} // namespace

#include "linux_lifecycle_sources_test.moc"
