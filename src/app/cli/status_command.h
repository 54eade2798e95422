#pragma once

#include "app/cli/command_line.h"

#include <ostream>

namespace tintwell::app {

/// --status: prints the running instance's live values from the session bus, as text or JSON.
/// 0 when they were printed; 1 with one line on `err` when no instance runs or it did not answer.
int runStatus(const CommandLine& cl, std::ostream& out, std::ostream& err);

} // namespace tintwell::app
