#include "platform/gnome/mutter_display_config.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>

namespace tintwell::platform {
namespace {

using Ushorts = QList<quint16>;

MutterCrtc readCrtc(const QDBusArgument& arg) {
    MutterCrtc c;
    uint index = 0, transform = 0;
    qint64 winsys = 0;
    QList<uint> transforms;
    QVariantMap properties;
    arg.beginStructure();
    arg >> index >> winsys >> c.x >> c.y >> c.width >> c.height >> c.mode >> transform >> transforms >>
        properties;
    arg.endStructure();
    c.index = index;
    c.winsysId = winsys;
    return c;
}

MutterOutput readOutput(const QDBusArgument& arg) {
    MutterOutput o;
    uint index = 0;
    qint64 winsys = 0;
    QList<uint> possibleCrtcs, modes, clones;
    arg.beginStructure();
    arg >> index >> winsys >> o.crtc >> possibleCrtcs >> o.connector >> modes >> clones >> o.properties;
    arg.endStructure();
    o.index = index;
    o.winsysId = winsys;
    return o;
}

template <typename T, typename Read>
std::vector<T> readArray(const QVariant& value, Read read) {
    std::vector<T> items;
    const auto arg = value.value<QDBusArgument>();
    arg.beginArray();
    while (!arg.atEnd())
        items.push_back(read(arg));
    arg.endArray();
    return items;
}

std::vector<std::uint16_t> readRamp(const QVariant& value) {
    const Ushorts list = value.canConvert<QDBusArgument>() ? qdbus_cast<Ushorts>(value.value<QDBusArgument>())
                                                           : value.value<Ushorts>();
    return {list.begin(), list.end()};
}

QVariant rampArgument(const std::vector<std::uint16_t>& ramp) {
    return QVariant::fromValue(Ushorts(ramp.begin(), ramp.end()));
}

} // namespace

MutterDisplayConfig::MutterDisplayConfig(QDBusConnection bus) : bus_(std::move(bus)) {
    qDBusRegisterMetaType<Ushorts>();
}

std::optional<MutterResources> MutterDisplayConfig::getResources(QDBusError* error) const {
    const QDBusMessage reply =
        bus_.call(QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("GetResources")));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() < 3) {
        if (error)
            *error = QDBusError(reply);
        return std::nullopt;
    }
    const QVariantList args = reply.arguments();
    MutterResources resources;
    resources.serial = args[0].toUInt();
    resources.crtcs = readArray<MutterCrtc>(args[1], readCrtc);
    resources.outputs = readArray<MutterOutput>(args[2], readOutput);
    return resources;
}

std::optional<HardwareRamps> MutterDisplayConfig::getCrtcGamma(std::uint32_t serial, std::uint32_t crtc,
                                                               QDBusError* error) const {
    auto call = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("GetCrtcGamma"));
    call << serial << crtc;
    const QDBusMessage reply = bus_.call(call);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 3) {
        *error = QDBusError(reply);
        return std::nullopt;
    }
    HardwareRamps ramp{readRamp(reply.arguments()[0]), readRamp(reply.arguments()[1]),
                       readRamp(reply.arguments()[2])};
    if (ramp.r.empty() || ramp.g.size() != ramp.r.size() || ramp.b.size() != ramp.r.size())
        return std::nullopt;
    return ramp;
}

bool MutterDisplayConfig::setCrtcGamma(std::uint32_t serial, std::uint32_t crtc, const HardwareRamps& ramp,
                                       QDBusError* error) const {
    auto call = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("SetCrtcGamma"));
    call << serial << crtc << rampArgument(ramp.r) << rampArgument(ramp.g) << rampArgument(ramp.b);
    const QDBusMessage reply = bus_.call(call);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    *error = QDBusError(reply);
    return false;
}

} // namespace tintwell::platform
