#include "platform/linux/logind_sleep_source.h"

#include "platform/linux/lifecycle_logging.h"

#include <QDBusConnectionInterface>
#include <QDBusError>

namespace tintwell::platform {
namespace {

const QString service = QStringLiteral("org.freedesktop.login1");
const QString path = QStringLiteral("/org/freedesktop/login1");
const QString interface = QStringLiteral("org.freedesktop.login1.Manager");
const QString signal = QStringLiteral("PrepareForSleep");

} // namespace

LogindSleepSource::LogindSleepSource(QDBusConnection bus, QObject* parent)
    : LifecycleEventSource(parent), bus_(std::move(bus)) {}

LogindSleepSource::~LogindSleepSource() {
    stop();
}

QString LogindSleepSource::description() const {
    return QStringLiteral("resume from sleep");
}

bool LogindSleepSource::start() {
    if (started_)
        return true;
    if (!bus_.isConnected()) {
        if (!std::exchange(unavailableLogged_, true))
            qCWarning(lcLifecycleSources).noquote()
                << "No system bus (" + bus_.lastError().message() + "); resume from sleep goes unnoticed";
        return false;
    }
    // Subscribing by the well-known name: the bus connection follows the name to whichever
    // process owns it, so a logind that starts later is still heard.
    if (!bus_.connect(service, path, interface, signal, QStringLiteral("b"), this,
                      SLOT(onPrepareForSleep(bool)))) {
        if (!std::exchange(unavailableLogged_, true))
            qCWarning(lcLifecycleSources).noquote() << "Cannot subscribe to logind (" +
                                                           bus_.lastError().message() +
                                                           "); resume from sleep goes unnoticed";
        return false;
    }
    started_ = true;
    const auto* daemon = bus_.interface();
    if (daemon && !daemon->isServiceRegistered(service).value() && !std::exchange(unavailableLogged_, true))
        qCInfo(lcLifecycleSources) << "logind is not running; resume from sleep is noticed once it is";
    return true;
}

void LogindSleepSource::stop() {
    if (!std::exchange(started_, false))
        return;
    bus_.disconnect(service, path, interface, signal, QStringLiteral("b"), this,
                    SLOT(onPrepareForSleep(bool)));
}

void LogindSleepSource::onPrepareForSleep(bool goingToSleep) {
    // The same signal announces the way down (true) and the way back (false); only the way back
    // changes what the screens need.
    if (started_ && !goingToSleep)
        Q_EMIT occurred();
}

} // namespace tintwell::platform
