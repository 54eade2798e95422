#pragma once

// Stand-ins for the desktops' colour services on a private bus: mutter's DisplayConfig (recording
// every SetCrtcGamma, refusing on demand, bumping its serial on hot-plug), gnome-settings-daemon's
// NightLightActive, and KWin's night light (counting the settings notifications it is sent).
// Messages are answered on a thread of its own, so a blocking call from the test thread returns.

#include "support/private_bus.h"

#include <cstdint>
#include <mutex>
#include <vector>

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QThread>

namespace tintwell::test {

using Ushorts = QList<quint16>;

struct FakeCrtc {
    std::uint32_t id = 0;
    qint64 winsys = 0;
    int x = 0, y = 0, width = 0, height = 0, mode = 0;
    Ushorts r, g, b; // the ramp, as long as the gamma size
};
struct FakeOutput {
    std::uint32_t id = 0;
    qint64 winsys = 0;
    int crtc = 0;
    QString connector;
};

inline QDBusArgument& operator<<(QDBusArgument& a, const FakeCrtc& c) {
    a.beginStructure();
    a << c.id << c.winsys << c.x << c.y << c.width << c.height << c.mode << 0u << QList<uint>{0}
      << QVariantMap{};
    a.endStructure();
    return a;
}
inline QDBusArgument& operator<<(QDBusArgument& a, const FakeOutput& o) {
    a.beginStructure();
    a << o.id << o.winsys << o.crtc << QList<uint>{uint(o.crtc)} << o.connector << QList<uint>{}
      << QList<uint>{} << QVariantMap{{"display-name", o.connector}, {"primary", o.id == 0}};
    a.endStructure();
    return a;
}
template <typename T>
const QDBusArgument& operator>>(const QDBusArgument& a, T&) {
    return a; // only ever sent
}

} // namespace tintwell::test

Q_DECLARE_METATYPE(tintwell::test::FakeCrtc)
Q_DECLARE_METATYPE(tintwell::test::FakeOutput)

namespace tintwell::test {

class FakeDesktop final : public QDBusVirtualObject {
    Q_OBJECT
public:
    explicit FakeDesktop(const PrivateBus& bus) : bus_(bus.connect("fake-desktop")) {
        (qDBusRegisterMetaType<Ushorts>(), qDBusRegisterMetaType<FakeCrtc>(),
         qDBusRegisterMetaType<FakeOutput>(), qDBusRegisterMetaType<QList<FakeCrtc>>(),
         qDBusRegisterMetaType<QList<FakeOutput>>());
        for (const char* name :
             {"org.gnome.Mutter.DisplayConfig", "org.gnome.SettingsDaemon.Color", "org.kde.KWin"})
            bus_.registerService(name);
        bus_.registerVirtualObject("/", this, QDBusConnection::SubPath);
        bus_.connect({}, "/kwinrc", "org.kde.kconfig.notify", "ConfigChanged", this, SLOT(onConfigChanged()));
        moveToThread(&thread_);
        thread_.start();
    }
    ~FakeDesktop() override {
        bus_.unregisterObject("/");
        thread_.quit();
        thread_.wait();
    }

    std::mutex mutex; // guards the state below, which the test may change between calls
    template <typename F>
    auto locked(F f) {
        std::lock_guard lock(mutex);
        return f();
    }
    std::uint32_t serial = 1;
    std::vector<FakeCrtc> crtcs;
    std::vector<FakeOutput> outputs;
    bool refuseWrites = false;
    bool nightLight = false;
    int configChanges = 0;

    /// Adds a monitor on a CRTC of its own with a `size`-entry ramp equal to `ramp(i)`.
    template <typename Ramp>
    void plug(int width, int size, Ramp ramp) {
        std::lock_guard lock(mutex);
        FakeCrtc c{std::uint32_t(crtcs.size()), 100 + qint64(crtcs.size()), 0, 0, width, 600, 0, {}, {}, {}};
        for (const FakeCrtc& other : crtcs)
            c.x += other.width;
        for (int i = 0; i < size; ++i)
            c.r << ramp(i);
        c.g = c.b = c.r;
        outputs.push_back({std::uint32_t(outputs.size()), 200 + qint64(outputs.size()), int(c.id),
                           QString("Virtual-%1").arg(outputs.size() + 1)});
        crtcs.push_back(c);
        ++serial;
    }
    /// A hot-plug: the serial moves on; `announce` also sends MonitorsChanged.
    void changed(bool announce) {
        locked([&] { ++serial; });
        if (announce)
            bus_.send(QDBusMessage::createSignal("/org/gnome/Mutter/DisplayConfig",
                                                 "org.gnome.Mutter.DisplayConfig", "MonitorsChanged"));
    }
    void setNightLight(bool on) {
        locked([&] { nightLight = on; });
        auto signal = QDBusMessage::createSignal("/org/gnome/SettingsDaemon/Color",
                                                 "org.freedesktop.DBus.Properties", "PropertiesChanged");
        signal << QString("org.gnome.SettingsDaemon.Color") << QVariantMap{{"NightLightActive", on}}
               << QStringList();
        bus_.send(signal);
    }

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        std::lock_guard lock(mutex);
        const QString member = message.member();
        const QVariantList args = message.arguments();
        const auto error = [&](const QString& name, const QString& text) {
            return bus_.send(message.createErrorReply(name, text));
        };
        if (member == "Get" && args.value(1) == "NightLightActive")
            return bus_.send(message.createReply(QVariant::fromValue(QDBusVariant(nightLight))));
        if (member == "Get" && args.value(1) == "available" && message.path() == "/ColorCorrect")
            return bus_.send(message.createReply(QVariant::fromValue(QDBusVariant(true))));
        if (member == "GetResources")
            return bus_.send(
                message.createReply({serial, QVariant::fromValue(QList<FakeCrtc>(crtcs.begin(), crtcs.end())),
                                     QVariant::fromValue(QList<FakeOutput>(outputs.begin(), outputs.end())),
                                     QVariant::fromValue(QList<uint>{}), 8192, 8192})); // no modes: unread
        if (member != "GetCrtcGamma" && member != "SetCrtcGamma")
            return error("org.freedesktop.DBus.Error.UnknownMethod", member);
        if (args.value(0).toUInt() != serial)
            return error("org.freedesktop.DBus.Error.AccessDenied", "stale");
        const std::uint32_t id = args.value(1).toUInt();
        if (id >= crtcs.size())
            return error("org.freedesktop.DBus.Error.InvalidArgs", "Invalid crtc id");
        FakeCrtc& c = crtcs[id];
        if (member == "GetCrtcGamma")
            return bus_.send(message.createReply(
                {QVariant::fromValue(c.r), QVariant::fromValue(c.g), QVariant::fromValue(c.b)}));
        const auto ramp = [&](int i) { return qdbus_cast<Ushorts>(args.value(i).value<QDBusArgument>()); };
        if (refuseWrites)
            return error("org.freedesktop.DBus.Error.Failed", "refused");
        if (ramp(2).size() == c.r.size()) // mutter ignores a ramp of the wrong size
            std::tie(c.r, c.g, c.b) = std::tuple(ramp(2), ramp(3), ramp(4));
        return bus_.send(message.createReply());
    }

private Q_SLOTS:
    void onConfigChanged() {
        std::lock_guard lock(mutex);
        ++configChanges;
    }

private:
    QDBusConnection bus_;
    QThread thread_;
};

} // namespace tintwell::test
