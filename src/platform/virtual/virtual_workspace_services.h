#pragma once

#include "platform/workspace_services.h"

namespace tintwell::platform {

/// Running applications, frontmost application and windows set by hand, for tests and
/// `--backend virtual`.
class VirtualWorkspaceServices final : public WorkspaceServices {
    Q_OBJECT
public:
    using WorkspaceServices::WorkspaceServices;

    std::vector<RunningApplication> runningApplications() override;
    std::optional<RunningApplication> frontmostApplication() override;
    std::vector<WindowInfo> onScreenWindows() override;

    // Control interface for tests.
    void setRunningApplications(std::vector<RunningApplication> applications);
    /// Emits frontmostApplicationChanged on every call, equal values included, so that tests can
    /// imitate a window manager that announces the same window twice.
    void setFrontmostApplication(std::optional<RunningApplication> application);
    void setWindows(std::vector<WindowInfo> windows);

private:
    std::vector<RunningApplication> applications_;
    std::optional<RunningApplication> frontmost_;
    std::vector<WindowInfo> windows_;
};

} // namespace tintwell::platform
