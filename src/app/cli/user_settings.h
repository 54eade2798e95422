#pragma once

#include "app/cli/command_line.h"
#include "settings/app_state.h"
#include "settings/json_file_user_defaults.h"

#include <memory>

namespace tintwell::app {

/// The user's settings file for a command that changes it: a failed save is the command's own
/// error line, not a log line as well.
std::unique_ptr<settings::JsonFileUserDefaults> writableDefaults();
/// The user's settings file for a command that only looks at it: the user may be half-way through
/// editing it, so an unreadable file is reported, never moved.
std::unique_ptr<settings::JsonFileUserDefaults> readOnlyDefaults();

/// The stored settings as a command that only looks at them sees them, with the place given on the
/// command line standing in for the stored one. Nothing is written.
struct SettingsLook {
    explicit SettingsLook(const CommandLine& cl);
    std::unique_ptr<settings::JsonFileUserDefaults> defaults = readOnlyDefaults();
    settings::AppState state{*defaults};
};

} // namespace tintwell::app
