#include "app/bus/application_bus_client.h"

#include "app/bus/bus_names.h"
#include "application_bus_proxy.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

namespace tintwell::app {
namespace {

constexpr int replyTimeoutMs = 3000;

bool instanceRuns(const QDBusConnection& bus) {
    return bus.isConnected() && bus.interface()->isServiceRegistered(bus::service).value();
}

} // namespace

std::variant<ApplicationStatus, NotRunning, NoAnswer> readApplicationStatus() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!instanceRuns(bus))
        return NotRunning{};
    ApplicationBusProxy proxy(bus::service, bus::objectPath, bus);
    proxy.setTimeout(replyTimeoutMs);
    // Each read is a call of its own; the first that goes unanswered ends the reading.
    ApplicationStatus status;
    const auto read = [&proxy](auto& into, auto value) {
        if (proxy.lastError().isValid())
            return;
        into = value();
    };
    read(status.currentKelvin, [&] { return proxy.currentKelvin(); });
    read(status.currentAltitude, [&] { return proxy.currentAltitude(); });
    read(status.activeProfile, [&] { return proxy.activeProfile(); });
    read(status.activeException, [&] { return proxy.activeException(); });
    read(status.paused, [&] { return proxy.paused(); });
    read(status.manualOverride, [&] { return proxy.manualOverride(); });
    read(status.locationNeeded, [&] { return proxy.locationNeeded(); });
    read(status.backend, [&] { return proxy.backend(); });
    if (proxy.lastError().isValid())
        return NoAnswer{proxy.lastError().message()};
    return status;
}

std::variant<ActionRan, NotRunning, NoAnswer> requestAction(const QString& name) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!instanceRuns(bus))
        return NotRunning{};
    ApplicationBusProxy proxy(bus::service, bus::objectPath, bus);
    proxy.setTimeout(replyTimeoutMs);
    auto reply = proxy.RunAction(name);
    reply.waitForFinished();
    if (reply.isError())
        return NoAnswer{reply.error().message()};
    return ActionRan{reply.value()};
}

bool requestShowPopup() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!instanceRuns(bus))
        return false;
    ApplicationBusProxy proxy(bus::service, bus::objectPath, bus);
    proxy.setTimeout(replyTimeoutMs);
    // A call rather than a bare send: the message must leave before this short-lived process exits.
    auto reply = proxy.ShowPopup();
    reply.waitForFinished();
    return !reply.isError();
}

} // namespace tintwell::app
