#include "platform/gnome/gnome_display_services.h"

#include "platform/gamma_ramp.h"
#include "platform/gnome/mutter_display_config.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <set>

#include <QDBusMessage>
#include <QDBusVariant>
#include <QLoggingCategory>
#include <QUuid>

namespace tintwell::platform {
namespace {

Q_LOGGING_CATEGORY(lcGnome, "tintwell.displays", QtInfoMsg)

const QString colorService = QStringLiteral("org.gnome.SettingsDaemon.Color");
const QString colorPath = QStringLiteral("/org/gnome/SettingsDaemon/Color");
const QString colorInterface = QStringLiteral("org.gnome.SettingsDaemon.Color");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QUuid kKeyNamespace("{0c3f8a52-6d1e-4b7a-9e25-7f4d1b6c8a90}");
const QUuid kConnectorKeyNamespace("{5b0e7c1a-93d4-4e6f-a2b8-1c7d3f90e4a6}"); // RandR's, for connector keys

struct Display {
    DisplayDescription description;
    std::int64_t crtcWinsysId = 0;
};

/// The same monitor gets the same key wherever it is plugged in when mutter knows its serial (mutter
/// does not pass the EDID on, so the key cannot be RandR's); otherwise the connector names it, as it
/// does for RandR, so a monitor without an EDID keeps its key between GNOME on X11 and on Wayland
/// where the connector's name is the same.
std::string displayKey(const MutterOutput& o) {
    const QString serial = o.properties.value("serial").toString();
    const bool known = !serial.isEmpty() && serial != "unknown";
    const QUuid space = known ? kKeyNamespace : kConnectorKeyNamespace;
    const QString data = known ? o.properties.value("vendor").toString() + '\n' +
                                     o.properties.value("product").toString() + '\n' + serial
                               : QStringLiteral("output:") + o.connector;
    return QUuid::createUuidV5(space, data).toString(QUuid::WithoutBraces).toUpper().toStdString();
}

} // namespace

struct GnomeDisplayServices::Impl {
    explicit Impl(const QDBusConnection& b) : bus(b), config(b) {}

    QDBusConnection bus;
    MutterDisplayConfig config;
    mutable std::mutex mutex; // guards everything below
    MutterResources resources;
    std::vector<Display> displays;
    std::map<std::int64_t, HardwareRamps> saved; // by CRTC winsys id: the ramp before our first write
    std::set<DisplayId> failing;                 // displays whose last write failed: said once
    bool nightLight = false;

    void refreshLocked() {
        QDBusError error;
        auto fresh = config.getResources(&error);
        if (!fresh) {
            qCWarning(lcGnome).noquote() << "Cannot read mutter's displays:" << error.message();
            return;
        }
        resources = std::move(*fresh);
        displays.clear();
        for (const MutterOutput& o : resources.outputs) {
            const auto crtc = std::find_if(resources.crtcs.begin(), resources.crtcs.end(),
                                           [&](const MutterCrtc& c) { return int(c.index) == o.crtc; });
            if (o.crtc < 0 || crtc == resources.crtcs.end() || crtc->mode < 0)
                continue;
            Display display;
            display.crtcWinsysId = crtc->winsysId;
            DisplayDescription& d = display.description;
            d.id = static_cast<DisplayId>(o.winsysId);
            d.name = o.properties.value("display-name", o.connector).toString().toStdString();
            d.bounds = {double(crtc->x), double(crtc->y), double(crtc->width), double(crtc->height)};
            d.isMain = o.properties.value("primary").toBool();
            for (const Display& earlier : displays)
                if (earlier.crtcWinsysId == crtc->winsysId || earlier.description.bounds == d.bounds) {
                    d.mirrorOf = earlier.description.id;
                    break;
                }
            d.key = displayKey(o);
            QDBusError gammaError;
            if (const auto ramp = config.getCrtcGamma(resources.serial, crtc->index, &gammaError))
                d.gammaSize = static_cast<int>(ramp->r.size());
            displays.push_back(std::move(display));
        }
        if (!displays.empty() && std::none_of(displays.begin(), displays.end(),
                                              [](const Display& d) { return d.description.isMain; }))
            displays.front().description.isMain = true;
    }

    const Display* findLocked(DisplayId id) const {
        const auto it = std::find_if(displays.begin(), displays.end(),
                                     [&](const Display& d) { return d.description.id == id; });
        return it == displays.end() ? nullptr : &*it;
    }

    std::optional<std::uint32_t> crtcIndexLocked(std::int64_t winsysId) const {
        for (const MutterCrtc& c : resources.crtcs)
            if (c.winsysId == winsysId)
                return c.index;
        return std::nullopt;
    }

    /// Runs `call(serial, crtc index)` for the CRTC of display `id`; when mutter says the serial is
    /// stale (a hot-plug came between), reads the resources again and tries once more.
    template <typename Call>
    bool onCrtcLocked(std::int64_t crtcWinsysId, Call call, QDBusError* error) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            const auto index = crtcIndexLocked(crtcWinsysId);
            if (!index)
                return false;
            if (call(resources.serial, *index, error))
                return true;
            if (!MutterDisplayConfig::isStale(*error))
                return false;
            refreshLocked();
        }
        return false;
    }

    std::optional<HardwareRamps> readLocked(std::int64_t crtcWinsysId, QDBusError* error) {
        std::optional<HardwareRamps> ramp;
        onCrtcLocked(
            crtcWinsysId,
            [&](std::uint32_t serial, std::uint32_t index, QDBusError* e) {
                ramp = config.getCrtcGamma(serial, index, e);
                return ramp.has_value();
            },
            error);
        return ramp;
    }

    bool writeLocked(std::int64_t crtcWinsysId, const HardwareRamps& ramp, QDBusError* error) {
        return onCrtcLocked(
            crtcWinsysId,
            [&](std::uint32_t serial, std::uint32_t index, QDBusError* e) {
                return config.setCrtcGamma(serial, index, ramp, e);
            },
            error);
    }
};

std::unique_ptr<GnomeDisplayServices> GnomeDisplayServices::create(const QDBusConnection& bus,
                                                                   QString* error) {
    auto impl = std::make_unique<Impl>(bus);
    QDBusError dbusError;
    if (!impl->config.getResources(&dbusError)) {
        *error = QString("GNOME's display configuration (%1) does not answer: %2")
                     .arg(MutterDisplayConfig::service, dbusError.message());
        return nullptr;
    }
    std::unique_ptr<GnomeDisplayServices> services(new GnomeDisplayServices(std::move(impl)));
    return services;
}

GnomeDisplayServices::GnomeDisplayServices(std::unique_ptr<Impl> impl) : d(std::move(impl)) {
    {
        std::lock_guard lock(d->mutex);
        d->refreshLocked();
    }
    d->bus.connect(MutterDisplayConfig::service, MutterDisplayConfig::path, MutterDisplayConfig::interface,
                   QStringLiteral("MonitorsChanged"), this, SLOT(onMonitorsChanged()));
    d->bus.connect(colorService, colorPath, propertiesInterface, QStringLiteral("PropertiesChanged"), this,
                   SLOT(onColorPropertiesChanged(QString, QVariantMap, QStringList)));
    auto get =
        QDBusMessage::createMethodCall(colorService, colorPath, propertiesInterface, QStringLiteral("Get"));
    get << colorInterface << QStringLiteral("NightLightActive");
    const QDBusMessage reply = d->bus.call(get);
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
        setNightLightActive(reply.arguments().first().value<QDBusVariant>().variant().toBool());
}

GnomeDisplayServices::~GnomeDisplayServices() = default;

std::vector<DisplayId> GnomeDisplayServices::onlineDisplays() {
    std::lock_guard lock(d->mutex);
    std::vector<DisplayId> ids;
    for (const Display& display : d->displays)
        ids.push_back(display.description.id);
    return ids;
}

std::optional<DisplayDescription> GnomeDisplayServices::describe(DisplayId id) {
    std::lock_guard lock(d->mutex);
    const Display* display = d->findLocked(id);
    return display ? std::optional(display->description) : std::nullopt;
}

void GnomeDisplayServices::setTransferTables(DisplayId id, const core::TransferTables& tables) {
    std::lock_guard lock(d->mutex);
    const Display* display = d->findLocked(id);
    if (d->nightLight || !display || display->description.gammaSize <= 0)
        return;
    const std::int64_t crtc = display->crtcWinsysId;
    const int size = display->description.gammaSize;
    QDBusError error;
    if (!d->saved.count(crtc)) {
        auto before = d->readLocked(crtc, &error);
        if (!before)
            return;
        d->saved.emplace(crtc, std::move(*before));
    }
    if (d->writeLocked(crtc, toHardwareRamps(tables, size), &error))
        d->failing.erase(id);
    else if (d->failing.insert(id).second)
        qCWarning(lcGnome).noquote() << "Mutter refused the tables of display" << id << ":"
                                     << error.message();
}

std::optional<core::TransferTables> GnomeDisplayServices::readTransferTables(DisplayId id) {
    std::lock_guard lock(d->mutex);
    const Display* display = d->findLocked(id);
    if (d->nightLight || !display)
        return std::nullopt;
    QDBusError error;
    const auto ramp = d->readLocked(display->crtcWinsysId, &error);
    return ramp ? std::optional(fromHardwareRamps(*ramp)) : std::nullopt;
}

void GnomeDisplayServices::restoreSystemCalibration() {
    std::lock_guard lock(d->mutex);
    // With GNOME Night Light on, the tables are GNOME's: the calibration found before is stale.
    if (!d->nightLight) {
        for (const auto& [crtc, ramp] : d->saved) {
            QDBusError error;
            const auto now = d->readLocked(crtc, &error);
            const int size = now ? static_cast<int>(now->r.size()) : static_cast<int>(ramp.r.size());
            if (!d->writeLocked(crtc, resampleHardwareRamps(ramp, size), &error) && error.isValid())
                qCWarning(lcGnome).noquote() << "Cannot give the calibration back:" << error.message();
        }
    }
    d->saved.clear();
}

std::string GnomeDisplayServices::conflict() const {
    std::lock_guard lock(d->mutex);
    return d->nightLight ? nightLightConflict.toStdString() : std::string();
}

void GnomeDisplayServices::onMonitorsChanged() {
    {
        std::lock_guard lock(d->mutex);
        d->refreshLocked();
    }
    Q_EMIT displaysReconfigured();
}

void GnomeDisplayServices::onColorPropertiesChanged(const QString& interface, const QVariantMap& changed,
                                                    const QStringList&) {
    if (interface == colorInterface && changed.contains("NightLightActive"))
        setNightLightActive(changed.value("NightLightActive").toBool());
}

void GnomeDisplayServices::setNightLightActive(bool active) {
    {
        std::lock_guard lock(d->mutex);
        if (d->nightLight == active)
            return;
        d->nightLight = active;
    }
    if (active)
        qCWarning(lcGnome).noquote() << nightLightConflict;
    else
        qCInfo(lcGnome) << "GNOME Night Light is off; Tintwell tints again";
    Q_EMIT conflictChanged();
    // Mutter put its own tables back when night light ended: have the decisions written again.
    if (!active)
        Q_EMIT displaysReconfigured();
}

} // namespace tintwell::platform
