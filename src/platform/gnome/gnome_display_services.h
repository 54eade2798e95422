#pragma once

#include "platform/display_services.h"

#include <memory>

#include <QDBusConnection>
#include <QString>
#include <QVariantMap>

namespace tintwell::platform {

/// The displays of a GNOME session through mutter's `org.gnome.Mutter.DisplayConfig`: a display is
/// an output driven by a CRTC, identified by the output's low-level id (the XID or KMS connector);
/// its transfer tables are the CRTC's gamma ramp, written with SetCrtcGamma.
///
/// While GNOME Night Light is active (`NightLightActive` of gnome-settings-daemon's colour plugin)
/// mutter rewrites the tables at every step of its own ramp: this backend then writes nothing,
/// reads nothing back and says why through conflict(), rather than fighting it.
///
/// Calls go over the session bus under a mutex, so every method may be called from any thread;
/// mutter's signals arrive on the main thread.
class GnomeDisplayServices final : public DisplayServices {
    Q_OBJECT
public:
    /// The line the user is shown while GNOME Night Light holds the tables.
    static inline const QString nightLightConflict =
        QStringLiteral("GNOME Night Light is on; turn it off to let Tintwell tint");

    /// Nothing when mutter does not answer on `bus`; `error` then says so in one line.
    static std::unique_ptr<GnomeDisplayServices> create(const QDBusConnection& bus, QString* error);

    ~GnomeDisplayServices() override;

    std::vector<DisplayId> onlineDisplays() override;
    std::optional<DisplayDescription> describe(DisplayId id) override;
    void setTransferTables(DisplayId id, const core::TransferTables& tables) override;
    std::optional<core::TransferTables> readTransferTables(DisplayId id) override;
    void restoreSystemCalibration() override;
    std::string conflict() const override;

private Q_SLOTS:
    void onMonitorsChanged();
    void onColorPropertiesChanged(const QString& interface, const QVariantMap& changed,
                                  const QStringList& invalidated);

private:
    struct Impl;
    explicit GnomeDisplayServices(std::unique_ptr<Impl> impl);
    void setNightLightActive(bool active);

    std::unique_ptr<Impl> d;
};

} // namespace tintwell::platform
