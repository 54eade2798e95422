#include "platform/linux/dbus_signal_source.h"

#include "platform/linux/lifecycle_logging.h"

#include <QDBusError>

namespace tintwell::platform {

DBusSignalSource::DBusSignalSource(QDBusConnection bus, Signal signal, QString peer, QString withoutIt,
                                   QObject* parent)
    : LifecycleEventSource(parent), bus_(std::move(bus)), signal_(std::move(signal)), peer_(std::move(peer)),
      withoutIt_(std::move(withoutIt)) {}

DBusSignalSource::~DBusSignalSource() {
    stop();
}

bool DBusSignalSource::start() {
    if (started_)
        return true;
    // Subscribing by the well-known name: the bus connection follows the name to whichever process
    // owns it, so a service that starts later is still heard.
    if (!bus_.isConnected() || !bus_.connect(signal_.service, signal_.path, signal_.interface, signal_.name,
                                             signal_.signature, this, SLOT(onSignal(QDBusMessage)))) {
        if (firstComplaint())
            qCWarning(lcLifecycleSources).noquote()
                << "Cannot follow " + peer_ + " (" + bus_.lastError().message() + "); " + withoutIt_;
        return false;
    }
    started_ = true;
    subscribed();
    return true;
}

void DBusSignalSource::stop() {
    if (std::exchange(started_, false))
        bus_.disconnect(signal_.service, signal_.path, signal_.interface, signal_.name, signal_.signature,
                        this, SLOT(onSignal(QDBusMessage)));
}

void DBusSignalSource::onSignal(const QDBusMessage& message) {
    if (started_)
        received(message.arguments());
}

} // namespace tintwell::platform
