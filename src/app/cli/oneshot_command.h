#pragma once

#include "app/cli/command_line.h"

#include <ostream>

namespace tintwell::app {

/// `--oneshot KELVIN [--brightness B] [--gamma G]`: writes the target to every display once and
/// exits with the tint left on screen. Returns the exit status; errors go to `err` as one line.
int runOneshot(const CommandLine& cl, std::ostream& err);

/// `--reset`: the same with identity tables.
int runReset(const CommandLine& cl, std::ostream& err);

} // namespace tintwell::app
