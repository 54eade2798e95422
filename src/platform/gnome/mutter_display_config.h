#pragma once

#include "platform/gamma_ramp.h"

#include <cstdint>
#include <optional>
#include <vector>

#include <QDBusConnection>
#include <QDBusError>
#include <QString>
#include <QVariantMap>

namespace tintwell::platform {

/// One CRTC of mutter's resources. `index` is its API id: its place in mutter's list.
struct MutterCrtc {
    std::uint32_t index = 0;
    std::int64_t winsysId = 0;
    int x = 0, y = 0, width = 0, height = 0;
    int mode = -1; ///< -1 while it drives nothing
};

/// One output (connector with a monitor) of mutter's resources.
struct MutterOutput {
    std::uint32_t index = 0;
    std::int64_t winsysId = 0;
    int crtc = -1; ///< API id of the CRTC driving it, -1 when it is off
    QString connector;
    QVariantMap properties; ///< vendor, product, serial, display-name, primary…
};

struct MutterResources {
    std::uint32_t serial = 0;
    std::vector<MutterCrtc> crtcs;
    std::vector<MutterOutput> outputs;
};

/// Blocking calls to `org.gnome.Mutter.DisplayConfig`. Safe from any thread (QtDBus is).
class MutterDisplayConfig {
public:
    static inline const QString service = QStringLiteral("org.gnome.Mutter.DisplayConfig");
    static inline const QString path = QStringLiteral("/org/gnome/Mutter/DisplayConfig");
    static inline const QString interface = QStringLiteral("org.gnome.Mutter.DisplayConfig");

    explicit MutterDisplayConfig(QDBusConnection bus);

    std::optional<MutterResources> getResources(QDBusError* error = nullptr) const;
    std::optional<HardwareRamps> getCrtcGamma(std::uint32_t serial, std::uint32_t crtc,
                                              QDBusError* error) const;
    bool setCrtcGamma(std::uint32_t serial, std::uint32_t crtc, const HardwareRamps& ramp,
                      QDBusError* error) const;

    /// Mutter's answer when the serial is not the current one (a hot-plug came between).
    static bool isStale(const QDBusError& error) { return error.type() == QDBusError::AccessDenied; }

private:
    QDBusConnection bus_;
};

} // namespace tintwell::platform
