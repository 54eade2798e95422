#pragma once

#include "app/cli/command_line.h"

#include <ostream>

namespace tintwell::app {

/// Runs the application until quit or a termination signal, then gives every display its colours
/// back. 0 on a clean end; 1 with one line on `err` when another instance runs or the displays
/// cannot be reached.
int runApplication(int& argc, char** argv, const CommandLine& cl, std::ostream& err);

} // namespace tintwell::app
