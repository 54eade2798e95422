#pragma once

#include "platform/display_services.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_outputs.h"

#include <map>
#include <memory>
#include <mutex>
#include <set>

#include <QString>

struct zwlr_gamma_control_manager_v1;
struct zwlr_gamma_control_v1;

namespace tintwell::platform {

/// The outputs of a wlroots compositor (Sway, Hyprland, river, labwc, Wayfire…), tinted through
/// `zwlr_gamma_control_manager_v1`.
///
/// A gamma control is exclusive and the compositor gives the output its own colours back when the
/// control is destroyed, so restoreSystemCalibration() simply lets go of every control (pause, quit)
/// and a crash leaves nothing to restore. A control the compositor refuses (`failed`: the output
/// has no gamma, or another program holds it) is told in one log line and tried again when the
/// output comes back, or after the next release.
///
/// Every method may be called from any thread; wl objects are made and destroyed on the main thread.
class WaylandDisplayServices final : public DisplayServices {
    Q_OBJECT
public:
    /// Needs the gamma-control global; without it returns nothing and sets `error` to one line.
    /// Main thread only; waits for the compositor's first answers (gamma sizes) before returning.
    static std::unique_ptr<WaylandDisplayServices> create(std::shared_ptr<WaylandConnection> connection,
                                                          std::shared_ptr<WaylandOutputs> outputs,
                                                          QString* error);
    ~WaylandDisplayServices() override;

    std::vector<DisplayId> onlineDisplays() override;
    std::optional<DisplayDescription> describe(DisplayId id) override;
    void setTransferTables(DisplayId id, const core::TransferTables& tables) override;
    /// The protocol has no read-back: the tables last sent while the control is held, as the
    /// output's ramp shows them; nothing before the first write and after a release.
    std::optional<core::TransferTables> readTransferTables(DisplayId id) override;
    void restoreSystemCalibration() override;
    /// No: the control is exclusive, and a takeover arrives as `failed`.
    bool othersMayChangeTables() const override { return false; }

    WaylandConnection* connection() const { return connection_.get(); }

private:
    struct Control;
    friend struct GammaControlListener;
    WaylandDisplayServices(std::shared_ptr<WaylandConnection> connection,
                           std::shared_ptr<WaylandOutputs> outputs, zwlr_gamma_control_manager_v1* manager);
    void acquire(DisplayId id);
    void onGammaSize(Control& control, std::uint32_t size);
    void onFailed(Control& control);
    void writeLocked(Control& control, const core::TransferTables& tables);
    void reportOnce(DisplayId id, const QString& message);

    std::shared_ptr<WaylandConnection> connection_;
    std::shared_ptr<WaylandOutputs> outputs_;
    zwlr_gamma_control_manager_v1* manager_ = nullptr;
    std::mutex mutex_;
    std::map<DisplayId, std::unique_ptr<Control>> controls_;
    std::set<DisplayId> reported_;
};

} // namespace tintwell::platform
