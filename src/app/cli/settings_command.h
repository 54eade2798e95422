#pragma once

#include "app/cli/command_line.h"
#include "settings/json_file_user_defaults.h"

#include <ostream>

namespace tintwell::app {

/// `--set KEY=VALUE…`: checks every pair first (an unknown key or a bad value is refused with one
/// line on `err`, status 2, and nothing is written), then assigns them in order through AppState so
/// that every rule of the store applies. Status 1 when the file could not be written.
int runSet(const CommandLine& cl, settings::JsonFileUserDefaults& defaults, std::ostream& out,
           std::ostream& err);

/// `--get [KEY…]`: one value alone when one key is named, else KEY=VALUE lines; with --json, one
/// object. An unknown key is refused with status 2.
int runGet(const CommandLine& cl, settings::JsonFileUserDefaults& defaults, std::ostream& out,
           std::ostream& err);

/// The same, on the user's settings file.
int runSet(const CommandLine& cl, std::ostream& out, std::ostream& err);
int runGet(const CommandLine& cl, std::ostream& out, std::ostream& err);

} // namespace tintwell::app
