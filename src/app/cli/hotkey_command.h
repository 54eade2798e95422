#pragma once

#include "app/cli/command_line.h"
#include "settings/json_file_user_defaults.h"

#include <ostream>

namespace tintwell::app {

/// `--hotkey NAME=COMBINATION…`: checks every pair first (an unknown slot or a combination that is
/// not one, or that a global grab could not sensibly hold, is refused with one line on `err`,
/// status 2, and nothing is written), then assigns them in order; `NAME=` clears the slot.
/// Status 1 when the file could not be written.
int runHotkey(const CommandLine& cl, settings::JsonFileUserDefaults& defaults, std::ostream& out,
              std::ostream& err);

/// `--hotkeys`: one `NAME=COMBINATION` line per slot, in the hotkeys screen's order (nothing after
/// `=` for an empty slot); with --json, an array of objects.
int runHotkeys(const CommandLine& cl, settings::JsonFileUserDefaults& defaults, std::ostream& out);

/// The same, on the user's settings file.
int runHotkey(const CommandLine& cl, std::ostream& out, std::ostream& err);
int runHotkeys(const CommandLine& cl, std::ostream& out, std::ostream& err);

} // namespace tintwell::app
