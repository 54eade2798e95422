#pragma once

#include "platform/display_services.h"
#include "platform/workspace_services.h"

#include <set>

namespace tintwell::watchers {

/// The online displays that show at least one window of the process `pid`.
///
/// Only on-screen windows count, and of those only ones at layer 8 or below (docks, panels and
/// menus are ignored) that are more than one pixel wide and high.
std::set<platform::DisplayId> displaysContainingWindows(platform::WorkspaceServices& workspace,
                                                        platform::DisplayServices& displays,
                                                        platform::ProcessId pid);

} // namespace tintwell::watchers
