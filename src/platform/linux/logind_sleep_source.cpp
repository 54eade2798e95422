#include "platform/linux/logind_sleep_source.h"

#include "platform/linux/lifecycle_logging.h"

#include <QDBusConnectionInterface>

namespace tintwell::platform {

LogindSleepSource::LogindSleepSource(QDBusConnection bus, QObject* parent)
    : DBusSignalSource(std::move(bus),
                       {"org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                        "PrepareForSleep", "b"},
                       "logind", "resume from sleep goes unnoticed", parent) {}

void LogindSleepSource::received(const QList<QVariant>& arguments) {
    // The same signal announces the way down (true) and the way back (false); only the way back
    // changes what the screens need.
    if (!arguments.value(0).toBool())
        Q_EMIT occurred();
}

void LogindSleepSource::subscribed() {
    const auto* daemon = bus_.interface();
    if (daemon && !daemon->isServiceRegistered(signal_.service).value() && firstComplaint())
        qCInfo(lcLifecycleSources) << "logind is not running; resume from sleep is noticed once it is";
}

} // namespace tintwell::platform
