#include "platform/linux/time_zone_location_services.h"

#include "platform/linux/location_logging.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QPointer>

namespace tintwell::platform {

TimeZoneLocationServices::TimeZoneLocationServices(Options options, QObject* parent)
    : LocationServices(parent), options_(std::move(options)) {}

void TimeZoneLocationServices::startUpdatingLocation() {
    const unsigned attempt = ++attempt_;
    if (const auto zone = zoneNameFromTz(qEnvironmentVariable("TZ"))) {
        finish(attempt, *zone);
        return;
    }
    if (const auto zone = zoneNameFromLink(options_.localtimePath)) {
        finish(attempt, *zone);
        return;
    }
    if (!options_.bus.isConnected()) {
        fail(attempt, QString("Cannot tell the time zone: TZ is not set, %1 is no link into the zone "
                              "database, and there is no system bus to ask timedated.")
                          .arg(options_.localtimePath));
        return;
    }
    auto call = QDBusMessage::createMethodCall("org.freedesktop.timedate1", "/org/freedesktop/timedate1",
                                               "org.freedesktop.DBus.Properties", "Get");
    call << QStringLiteral("org.freedesktop.timedate1") << QStringLiteral("Timezone");
    auto* watcher = new QDBusPendingCallWatcher(options_.bus.asyncCall(call, 5000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, attempt](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *w;
        if (reply.isError())
            fail(attempt, "Cannot ask timedated for the time zone: " + reply.error().message());
        else
            finish(attempt, reply.value().variant().toString());
    });
}

void TimeZoneLocationServices::finish(unsigned attempt, const QString& zone) {
    auto result = locationOfZone(zone, options_.zoneinfoDirectory);
    if (const auto* error = std::get_if<LocationError>(&result)) {
        fail(attempt, error->description);
        return;
    }
    qCInfo(lcLocationServices).noquote() << "Estimating the location from the time zone" << zone;
    QMetaObject::invokeMethod(
        this,
        [this, attempt, location = std::get<Location>(result)] {
            if (attempt == attempt_ && delegate())
                delegate()->locationManagerDidUpdateLocations(*this, {location});
        },
        Qt::QueuedConnection);
}

void TimeZoneLocationServices::fail(unsigned attempt, const QString& description) {
    QMetaObject::invokeMethod(
        this,
        [this, attempt, description] {
            if (attempt == attempt_ && delegate())
                delegate()->locationManagerDidFailWithError(*this,
                                                            {LocationError::Kind::Failed, description});
        },
        Qt::QueuedConnection);
}

} // namespace tintwell::platform
