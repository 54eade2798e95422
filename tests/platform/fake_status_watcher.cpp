// A stand-in for a panel's StatusNotifierWatcher with a host, on the session bus, for tests: it
// owns org.kde.StatusNotifierWatcher, says a host is registered (so Qt shows its tray icon as a
// StatusNotifierItem), and prints "ready", then "registered SERVICE" for each item that registers.

#include <cstdio>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>

namespace {

void say(const QString& line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

class FakeWatcher final : public QDBusVirtualObject {
public:
    // Qt reads the host property through an interface it builds from this description.
    QString introspect(const QString&) const override {
        return R"(<interface name="org.kde.StatusNotifierWatcher">
  <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
  <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
</interface>)";
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const QString member = message.member();
        QDBusConnection bus = connection;
        if (member == "RegisterStatusNotifierItem") {
            QString service = message.arguments().value(0).toString();
            // An item may register by object path alone; it then lives at its sender.
            if (service.startsWith('/'))
                service = message.service();
            items_ << service;
            bus.send(message.createReply());
            bus.send(QDBusMessage::createSignal("/StatusNotifierWatcher", "org.kde.StatusNotifierWatcher",
                                                "StatusNotifierItemRegistered")
                     << service);
            say("registered " + service);
            return true;
        }
        if (member == "Get" || member == "GetAll") {
            const QVariantMap all{{"IsStatusNotifierHostRegistered", true},
                                  {"ProtocolVersion", 0},
                                  {"RegisteredStatusNotifierItems", items_}};
            if (member == "GetAll")
                bus.send(message.createReply(QVariant::fromValue(all)));
            else
                bus.send(message.createReply(
                    QVariant::fromValue(QDBusVariant(all.value(message.arguments().value(1).toString())))));
            return true;
        }
        if (member == "RegisterStatusNotifierHost") {
            bus.send(message.createReply());
            return true;
        }
        return false;
    }

private:
    QStringList items_;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    FakeWatcher watcher;
    if (!bus.registerVirtualObject("/StatusNotifierWatcher", &watcher) ||
        !bus.registerService("org.kde.StatusNotifierWatcher"))
        return 1;
    say("ready");
    return app.exec();
}
