#include "platform/linux/timedate_zone_source.h"

#include "platform/linux/lifecycle_logging.h"

#include <QDBusError>

namespace tintwell::platform {
namespace {

const QString service = QStringLiteral("org.freedesktop.timedate1");
const QString path = QStringLiteral("/org/freedesktop/timedate1");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString signal = QStringLiteral("PropertiesChanged");
const QString signature = QStringLiteral("sa{sv}as");
const QString timezoneProperty = QStringLiteral("Timezone");

} // namespace

TimedateZoneSource::TimedateZoneSource(QDBusConnection bus, QObject* parent)
    : LifecycleEventSource(parent), bus_(std::move(bus)) {}

TimedateZoneSource::~TimedateZoneSource() {
    stop();
}

QString TimedateZoneSource::description() const {
    return QStringLiteral("time zone changed (timedated)");
}

bool TimedateZoneSource::start() {
    if (started_)
        return true;
    if (!bus_.isConnected() || !bus_.connect(service, path, propertiesInterface, signal, signature, this,
                                             SLOT(onPropertiesChanged(QString, QVariantMap, QStringList)))) {
        if (!std::exchange(unavailableLogged_, true))
            qCWarning(lcLifecycleSources).noquote()
                << "Cannot follow timedated (" + bus_.lastError().message() +
                       "); only /etc/localtime tells of time-zone changes";
        return false;
    }
    started_ = true;
    return true;
}

void TimedateZoneSource::stop() {
    if (!std::exchange(started_, false))
        return;
    bus_.disconnect(service, path, propertiesInterface, signal, signature, this,
                    SLOT(onPropertiesChanged(QString, QVariantMap, QStringList)));
}

void TimedateZoneSource::onPropertiesChanged(const QString& interface, const QVariantMap& changed,
                                             const QStringList& invalidated) {
    // timedated also announces NTP and RTC settings on the same signal; those leave local time alone.
    if (!started_ || interface != service)
        return;
    if (changed.contains(timezoneProperty) || invalidated.contains(timezoneProperty))
        Q_EMIT occurred();
}

} // namespace tintwell::platform
