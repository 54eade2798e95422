// A stand-in for GeoClue 2 on the bus named by DBUS_SYSTEM_BUS_ADDRESS, for tests.
//
//   fake_geoclue fix LAT LON | deny | restricted | vanish | silent
//
// fix: Start succeeds and a location follows; deny and restricted: Start is refused as the agent or
// the configuration would; vanish: the process leaves right after Start; silent: Start is never
// answered. Prints "ready" once it owns the name, then one line per call it receives.

#include <cstdio>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QTimer>

namespace {

const QString root = "/org/freedesktop/GeoClue2";
const QString clientPath = root + "/Client/1";
const QString locationPath = root + "/Location/1";

void say(const QString& line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

class FakeGeoClue final : public QDBusVirtualObject {
public:
    explicit FakeGeoClue(QStringList arguments) : arguments_(std::move(arguments)) {}

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const QString member = message.member();
        const QVariantList args = message.arguments();
        QDBusConnection bus = connection;
        if (member == "GetClient") {
            bus.send(message.createReply(QVariant::fromValue(QDBusObjectPath(clientPath))));
        } else if (member == "Set" && args.size() == 3) {
            say(args[1].toString() + "=" + args[2].value<QDBusVariant>().variant().toString());
            bus.send(message.createReply());
        } else if (member == "GetAll" && message.path() == locationPath) {
            const QVariantMap properties{{"Latitude", arguments_.value(1).toDouble()},
                                         {"Longitude", arguments_.value(2).toDouble()},
                                         {"Accuracy", 5000.0},
                                         {"Description", "fake"}};
            bus.send(message.createReply(QVariant::fromValue(properties)));
        } else if (member == "Stop") {
            say("Stop");
            bus.send(message.createReply());
        } else if (member == "Start") {
            say("Start");
            start(message, bus);
        } else {
            return false;
        }
        return true;
    }

private:
    void start(const QDBusMessage& message, QDBusConnection& bus) {
        const QString mode = arguments_.value(0);
        if (mode == "deny") {
            bus.send(message.createErrorReply(QDBusError::AccessDenied,
                                              "Agent rejected 'org.tintwell.Tintwell' for user '0'."));
        } else if (mode == "restricted") {
            bus.send(message.createErrorReply(QDBusError::AccessDenied, "Geolocation disabled for UID 0"));
        } else if (mode == "silent") {
            message.setDelayedReply(true);
        } else {
            bus.send(message.createReply());
            if (mode == "vanish") {
                QTimer::singleShot(0, qApp, &QCoreApplication::quit);
                return;
            }
            auto signal =
                QDBusMessage::createSignal(clientPath, "org.freedesktop.GeoClue2.Client", "LocationUpdated");
            signal << QVariant::fromValue(QDBusObjectPath("/"))
                   << QVariant::fromValue(QDBusObjectPath(locationPath));
            bus.send(signal);
        }
    }

    QStringList arguments_;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    FakeGeoClue geoclue(app.arguments().mid(1));
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.registerVirtualObject(root, &geoclue, QDBusConnection::SubPath) ||
        !bus.registerService("org.freedesktop.GeoClue2")) {
        std::fprintf(stderr, "cannot serve GeoClue: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    say("ready");
    return app.exec();
}
