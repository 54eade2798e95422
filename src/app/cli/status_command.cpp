#include "app/cli/status_command.h"

#include "app/bus/bus_names.h"

#include <iomanip>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusVariant>
#include <QVariantMap>

#include <nlohmann/json.hpp>

namespace tintwell::app {
namespace {

constexpr int replyTimeoutMs = 3000;

bool instanceRuns(const QDBusConnection& bus) {
    return bus.isConnected() && bus.interface()->isServiceRegistered(bus::service).value();
}

} // namespace

int runStatus(const CommandLine& cl, std::ostream& out, std::ostream& err) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!instanceRuns(bus)) {
        err << "Tintwell is not running.\n";
        return 1;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(bus::service, bus::objectPath,
                                                       "org.freedesktop.DBus.Properties", "GetAll");
    call << QString(bus::interface);
    const QDBusReply<QVariantMap> reply = bus.call(call, QDBus::Block, replyTimeoutMs);
    if (!reply.isValid()) {
        err << "tintwell: the running instance did not answer: " << reply.error().message().toStdString()
            << '\n';
        return 1;
    }
    const QVariantMap v = reply.value();
    const double kelvin = v.value("CurrentKelvin").toDouble();
    const double altitude = v.value("CurrentAltitude").toDouble();
    const std::string profile = v.value("ActiveProfile").toString().toStdString();
    const std::string exception = v.value("ActiveException").toString().toStdString();
    const bool paused = v.value("Paused").toBool();
    const bool manual = v.value("ManualOverride").toBool();

    if (cl.json) {
        const nlohmann::json j = {
            {"currentKelvin", kelvin},
            {"currentAltitude", altitude},
            {"activeProfile", profile},
            {"activeException", exception.empty() ? nlohmann::json() : nlohmann::json(exception)},
            {"paused", paused},
            {"manualOverride", manual}};
        out << j.dump(2) << '\n';
        return 0;
    }
    out << std::fixed;
    out << "Kelvin:    " << std::setprecision(0) << kelvin << " K\n";
    out << "Sun:       altitude " << std::setprecision(2) << altitude << "°\n";
    out << "Profile:   " << profile << '\n';
    out << "Exception: " << (exception.empty() ? "none" : exception) << '\n';
    out << "Paused:    " << (paused ? "yes" : "no") << '\n';
    out << "Manual:    " << (manual ? "on" : "off") << '\n';
    return 0;
}

bool requestShowPopup() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!instanceRuns(bus))
        return false;
    const QDBusMessage call =
        QDBusMessage::createMethodCall(bus::service, bus::objectPath, bus::interface, "ShowPopup");
    // A call rather than a bare send: the message must leave before this short-lived process exits.
    return bus.call(call, QDBus::Block, replyTimeoutMs).type() == QDBusMessage::ReplyMessage;
}

} // namespace tintwell::app
