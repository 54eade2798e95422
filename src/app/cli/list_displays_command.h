#pragma once

#include "app/cli/command_line.h"
#include "platform/display_services.h"

#include <ostream>

namespace tintwell::app {

/// Writes every online display (mirrors included) as a table, or as a JSON array with `json`.
void printDisplays(platform::DisplayServices& displays, const std::string& backend, bool json,
                   std::ostream& out);

/// `--list-displays [--json]`. Returns the exit status; errors go to `err` as one line.
int runListDisplays(const CommandLine& cl, std::ostream& out, std::ostream& err);

} // namespace tintwell::app
