#pragma once

#include "app/cli/command_line.h"
#include "platform/display_services.h"
#include "platform/workspace_services.h"

#include <ostream>
#include <vector>

namespace tintwell::app {

/// One line of `--list-apps`.
struct ListedApplication {
    platform::RunningApplication application;
    bool frontmost = false;
    std::vector<platform::DisplayDescription> displays; ///< those showing its windows, in display order
};

/// The running applications sorted by name (then process id), with the displays showing their windows.
std::vector<ListedApplication> listApplications(platform::WorkspaceServices& workspace,
                                                platform::DisplayServices& displays);

void printApplications(const std::vector<ListedApplication>& apps, bool json, std::ostream& out);

/// `--list-apps`: 0 on success, 1 (with one line on `err`) when the desktop cannot be reached.
int runListApps(const CommandLine& cl, std::ostream& out, std::ostream& err);

} // namespace tintwell::app
