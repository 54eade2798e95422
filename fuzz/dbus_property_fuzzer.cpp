// Property writes (and reads) on the application's bus object, as any client on the session bus
// can send them: the object is exported on a bus of our own (a private dbus-daemon started once),
// and each input becomes one org.freedesktop.DBus.Properties call carrying a value of whatever
// D-Bus type and shape the input describes.
#include "app/bus/application_bus_face.h"
#include "app/bus/bus_names.h"
#include "fuzz_support.h"
#include "settings/app_state.h"

#include <cstdlib>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusSignature>
#include <QDBusVariant>
#include <QEventLoop>
#include <QProcess>

using namespace tintwell;

namespace {

/// Reads the input front to back; past its end every read gives zeros.
class Bytes {
public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    template <class T>
    T number() {
        T v{};
        auto* out = reinterpret_cast<std::uint8_t*>(&v);
        for (std::size_t i = 0; i < sizeof v; ++i)
            out[i] = byte();
        return v;
    }
    QString text() {
        const std::size_t n = std::min<std::size_t>(byte(), size_ - std::min(at_, size_));
        const QString s = QString::fromUtf8(reinterpret_cast<const char*>(data_ + at_), qsizetype(n));
        at_ += n;
        return s;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

/// A value of the D-Bus type the next byte picks; containers nest up to `depth` more levels.
QVariant value(Bytes& in, int depth) {
    switch (in.byte() % (depth > 0 ? 16 : 12)) {
    case 0:
        return bool(in.byte() & 1);
    case 1:
        return QVariant::fromValue(in.number<uchar>());
    case 2:
        return QVariant::fromValue(in.number<short>());
    case 3:
        return QVariant::fromValue(in.number<ushort>());
    case 4:
        return in.number<int>();
    case 5:
        return in.number<uint>();
    case 6:
        return QVariant::fromValue(in.number<qlonglong>());
    case 7:
        return QVariant::fromValue(in.number<qulonglong>());
    case 8:
        return in.number<double>();
    case 9:
        return in.text();
    case 10:
        return QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/example")));
    case 11:
        return QVariant::fromValue(QDBusSignature(QStringLiteral("a{sv}")));
    case 12:
        return QVariant::fromValue(QDBusVariant(value(in, depth - 1)));
    case 13: {
        QStringList list;
        for (int n = in.byte() % 4; n > 0; --n)
            list << in.text();
        return list;
    }
    case 14: {
        QVariantMap map;
        for (int n = in.byte() % 3; n > 0; --n)
            map.insert(in.text(), QVariant::fromValue(QDBusVariant(value(in, depth - 1))));
        return map;
    }
    default: {
        QVariantList list;
        for (int n = in.byte() % 3; n > 0; --n)
            list << QVariant::fromValue(QDBusVariant(value(in, depth - 1)));
        return list;
    }
    }
}

struct Bus {
    QProcess daemon;
    std::optional<QDBusConnection> server, client;
    settings::InMemoryUserDefaults defaults;
    std::optional<settings::AppState> state;
    std::optional<app::ApplicationBusFace> face;

    Bus() {
        daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                     QStringLiteral("--print-address")});
        if (!daemon.waitForReadyRead(10000))
            std::abort();
        const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
        server = QDBusConnection::connectToBus(address, QStringLiteral("face"));
        client = QDBusConnection::connectToBus(address, QStringLiteral("client"));
        state.emplace(defaults);
        face.emplace(*state, nullptr);
        QString error;
        if (!face->registerOn(*server, &error))
            std::abort();
    }
    ~Bus() {
        daemon.kill();
        daemon.waitForFinished();
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::silenceLogging();
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Bus bus;
    Bytes in(data, size);
    const std::uint8_t kind = in.byte();
    static const char* const properties[] = {"Paused", "ManualOverride", "CurrentKelvin", "ActiveProfile"};
    const QString interface = kind & 0x10 ? in.text() : QString::fromLatin1(app::bus::interface);
    const QString property = kind & 0x20 ? in.text() : QString::fromLatin1(properties[in.byte() % 4]);
    static const char* const members[] = {"Set", "Set", "Get", "GetAll"};
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(app::bus::service), QString::fromLatin1(app::bus::objectPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QString::fromLatin1(members[kind % 4]));
    // Mostly the arguments each method takes; sometimes any others, of any type.
    if (kind & 0x40) {
        for (int n = in.byte() % 4; n > 0; --n)
            call << value(in, 3);
    } else if (kind % 4 < 2) {
        call << interface << property << QVariant::fromValue(QDBusVariant(value(in, 3)));
    } else if (kind % 4 == 2) {
        call << interface << property;
    } else {
        call << interface;
    }
    QDBusPendingCallWatcher watcher(bus.client->asyncCall(call, 5000));
    QEventLoop loop;
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    if (!watcher.isFinished())
        loop.exec();
    // The application must still be there to answer.
    const QDBusMessage ping = QDBusMessage::createMethodCall(
        QString::fromLatin1(app::bus::service), QString::fromLatin1(app::bus::objectPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"));
    QDBusPendingCallWatcher alive(
        bus.client->asyncCall(QDBusMessage(ping) << QString::fromLatin1(app::bus::interface), 5000));
    QObject::connect(&alive, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    if (!alive.isFinished())
        loop.exec();
    if (alive.isError())
        __builtin_trap();
    // Leave the store as it started, so that each input begins from the same state.
    bus.state->setPaused(false);
    bus.state->setManualOverride(false);
    return 0;
}
