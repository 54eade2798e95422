#include "platform/virtual/virtual_workspace_services.h"

namespace tintwell::platform {

std::vector<RunningApplication> VirtualWorkspaceServices::runningApplications() {
    return applications_;
}

std::optional<RunningApplication> VirtualWorkspaceServices::frontmostApplication() {
    return frontmost_;
}

std::vector<WindowInfo> VirtualWorkspaceServices::onScreenWindows() {
    return windows_;
}

void VirtualWorkspaceServices::setRunningApplications(std::vector<RunningApplication> applications) {
    applications_ = std::move(applications);
}

void VirtualWorkspaceServices::setFrontmostApplication(std::optional<RunningApplication> application) {
    frontmost_ = std::move(application);
    Q_EMIT frontmostApplicationChanged(frontmost_);
}

void VirtualWorkspaceServices::setWindows(std::vector<WindowInfo> windows) {
    windows_ = std::move(windows);
}

} // namespace tintwell::platform
