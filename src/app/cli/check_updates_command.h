#pragma once

#include "app/cli/command_line.h"
#include "settings/user_defaults.h"

#include <ostream>

namespace tintwell::app {

/// `--check-updates [--json]`: one check on the stored channel, as the user's manual check makes
/// it; prints the answer. Status 1 when the check failed. Downloads nothing, writes no setting.
int runCheckUpdates(const CommandLine& cl, settings::UserDefaults& defaults, std::ostream& out);

/// The same on the user's settings file.
int runCheckUpdates(const CommandLine& cl, std::ostream& out);

} // namespace tintwell::app
