#pragma once

#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_outputs.h"
#include "platform/workspace_services.h"

#include <map>
#include <memory>

struct zwlr_foreign_toplevel_manager_v1;

namespace tintwell::platform {

class DesktopEntryIndex;

/// The windows of a wlroots compositor through `zwlr_foreign_toplevel_manager_v1`: the activated
/// toplevel's app_id is the frontmost application, and the outputs a toplevel entered are the
/// displays that hold it.
///
/// The protocol tells neither the process nor the geometry of a window: each application id gets a
/// stand-in process number of its own (negative, -1, -2, … in order of appearance, stable while the
/// program runs), and a window is reported as covering each output it is on. Without the protocol
/// every list is empty and available() says so. Main thread only.
class WaylandWorkspaceServices final : public WorkspaceServices {
    Q_OBJECT
public:
    WaylandWorkspaceServices(std::shared_ptr<WaylandConnection> connection,
                             std::shared_ptr<WaylandOutputs> outputs, QObject* parent = nullptr);
    ~WaylandWorkspaceServices() override;

    /// Whether the compositor offers the foreign-toplevel list.
    bool available() const { return manager_ != nullptr; }

    std::vector<RunningApplication> runningApplications() override;
    std::optional<RunningApplication> frontmostApplication() override;
    std::vector<WindowInfo> onScreenWindows() override;
    QString unavailableReason() const override;

    struct Toplevel; ///< one toplevel's handle and what it said (internal)

private:
    friend struct ToplevelListener;
    void onToplevel(Toplevel* toplevel);
    void onDone(Toplevel& toplevel);
    void onClosed(Toplevel& toplevel);
    RunningApplication describe(const std::string& appId);
    ProcessId standInPid(const std::string& appId);
    std::optional<std::string> activeAppId() const;

    std::shared_ptr<WaylandConnection> connection_;
    std::shared_ptr<WaylandOutputs> outputs_;
    zwlr_foreign_toplevel_manager_v1* manager_ = nullptr;
    std::vector<std::unique_ptr<Toplevel>> toplevels_;
    std::map<std::string, ProcessId> pids_;
    std::unique_ptr<DesktopEntryIndex> entries_;
    std::optional<std::string> lastFrontmost_;
};

} // namespace tintwell::platform
