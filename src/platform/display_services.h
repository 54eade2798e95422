#pragma once

#include "core/color_temperature.h"
#include "core/value_records.h"

#include <optional>
#include <string>
#include <vector>

#include <QObject>

namespace tintwell::platform {

using core::DisplayId;

/// A rectangle in the global display coordinate space (pixels, y grows downwards).
struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    bool operator==(const Rect&) const = default;
    bool intersects(const Rect& o) const {
        return width > 0 && height > 0 && o.width > 0 && o.height > 0 && x < o.x + o.width &&
               o.x < x + width && y < o.y + o.height && o.y < y + height;
    }
};

/// What the platform knows about one online display.
struct DisplayDescription {
    DisplayId id = 0;
    std::string name;
    Rect bounds;
    bool isMain = false;
    std::optional<DisplayId> mirrorOf; ///< the display this one mirrors, if any
    std::optional<std::string> key;    ///< stable identity across reconnections (upper-case UUID)
    int gammaSize = 0;                 ///< entries in the display's hardware ramp; 0 when it has none
    bool operator==(const DisplayDescription&) const = default;
};

/// What a display system lets Tintwell change. Where something is missing the popup shows it as
/// unavailable with `reason`.
struct DisplayCapabilities {
    bool perDisplay = true; ///< each display can show its own settings
    bool brightness = true;
    bool gamma = true;
    std::string reason; ///< one line for the user when anything above is false
    bool operator==(const DisplayCapabilities&) const = default;
};

/// The displays and their colour transfer tables.
///
/// Every method may be called from any thread; `displaysReconfigured` is emitted on the thread that
/// owns the object (the main thread).
class DisplayServices : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~DisplayServices() override = default;

    /// Online displays (active outputs, mirrors included) in platform order.
    virtual std::vector<DisplayId> onlineDisplays() = 0;
    /// Description of one online display; nothing when it is not online.
    virtual std::optional<DisplayDescription> describe(DisplayId id) = 0;
    /// Loads 256-entry tables into the display. Failures are logged and absorbed.
    virtual void setTransferTables(DisplayId id, const core::TransferTables& tables) = 0;
    /// The tables the display shows now, resampled to 256 entries; nothing when unreadable.
    virtual std::optional<core::TransferTables> readTransferTables(DisplayId id) = 0;
    /// readTransferTables() of each display, in the same order; a backend may ask for all of them
    /// in one round trip, which matters to a periodic read-back.
    virtual std::vector<std::optional<core::TransferTables>>
    readAllTransferTables(const std::vector<DisplayId>& ids) {
        std::vector<std::optional<core::TransferTables>> tables;
        for (const DisplayId id : ids)
            tables.push_back(readTransferTables(id));
        return tables;
    }
    /// Returns every display to the calibration it had before this process first wrote to it.
    virtual void restoreSystemCalibration() = 0;
    /// Whether another program can change a display's tables behind this one's back, so that they
    /// are worth reading back now and again (any X client can; a wlroots gamma control is
    /// exclusive, and its loss is announced).
    virtual bool othersMayChangeTables() const { return true; }

    /// What this display system lets Tintwell change; everything unless a backend says otherwise.
    virtual DisplayCapabilities capabilities() const { return {}; }
    /// One line for the user while another program on the desktop holds the tables and Tintwell
    /// leaves them alone; empty otherwise.
    virtual std::string conflict() const { return {}; }

Q_SIGNALS:
    /// conflict() changed; emitted on the main thread.
    void conflictChanged();
    /// A display was added, removed, moved, or changed mode.
    void displaysReconfigured();
};

} // namespace tintwell::platform
