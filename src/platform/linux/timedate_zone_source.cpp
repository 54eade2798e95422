#include "platform/linux/timedate_zone_source.h"

#include <QDBusArgument>
#include <QDBusMetaType>

namespace tintwell::platform {

TimedateZoneSource::TimedateZoneSource(QDBusConnection bus, QObject* parent)
    : DBusSignalSource(std::move(bus),
                       {"org.freedesktop.timedate1", "/org/freedesktop/timedate1",
                        "org.freedesktop.DBus.Properties", "PropertiesChanged", "sa{sv}as"},
                       "timedated", "only /etc/localtime tells of time-zone changes", parent) {}

void TimedateZoneSource::received(const QList<QVariant>& arguments) {
    // timedated also announces NTP and RTC settings on the same signal; those leave local time alone.
    if (arguments.size() != 3 || arguments[0].toString() != signal_.service)
        return;
    const QString zone = QStringLiteral("Timezone");
    if (qdbus_cast<QVariantMap>(arguments[1]).contains(zone) ||
        qdbus_cast<QStringList>(arguments[2]).contains(zone))
        Q_EMIT occurred();
}

} // namespace tintwell::platform
