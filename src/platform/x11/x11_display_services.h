#pragma once

#include "platform/display_services.h"

#include <memory>

#include <QString>

namespace tintwell::platform {

/// The displays of an X server, through RandR: a display is an output driven by a CRTC (so connected
/// as far as the desktop is concerned), identified by the output's XID; its transfer tables are the
/// CRTC's gamma ramp.
///
/// Requests go over a private connection under a mutex, so every method may be called from any
/// thread. Change notifications arrive on a second connection watched by the main thread.
class X11DisplayServices final : public DisplayServices {
    Q_OBJECT
public:
    struct Options {
        /// Where the ramps found before the first write are recorded until they are restored, so
        /// that a start after a crash restores them instead of taking a leftover tint for the
        /// system calibration. Empty: nothing is recorded or read (one-shot commands, whose tint
        /// is meant to stay).
        QString stateDirectory;
    };

    /// `$XDG_RUNTIME_DIR/tintwell`, or empty when the variable is not set.
    static QString defaultStateDirectory();

    /// Connects to `$DISPLAY`. On failure returns nothing and sets `error` to one line for the user.
    /// Must be called on the main thread (the change notifications are delivered there).
    static std::unique_ptr<X11DisplayServices> create(const Options& options, QString* error);

    ~X11DisplayServices() override;

    std::vector<DisplayId> onlineDisplays() override;
    std::optional<DisplayDescription> describe(DisplayId id) override;
    void setTransferTables(DisplayId id, const core::TransferTables& tables) override;
    std::optional<core::TransferTables> readTransferTables(DisplayId id) override;
    std::vector<std::optional<core::TransferTables>>
    readAllTransferTables(const std::vector<DisplayId>& ids) override;
    void restoreSystemCalibration() override;

    /// The file that holds the saved ramps while any is held; empty without a state directory.
    QString savedRampsFile() const;

private:
    struct Impl;
    explicit X11DisplayServices(std::unique_ptr<Impl> impl);
    void readEvents();

    std::unique_ptr<Impl> d;
};

} // namespace tintwell::platform
