#pragma once

#include "app/cli/command_line.h"

#include <ostream>

namespace tintwell::app {

/// A name --action takes: one of the six hotkey actions, or pause or resume.
Checked<QString> checkAction(const QString& text);

/// --action NAME: runs the action in the running instance over the session bus, for the
/// compositor's own key bindings. 0 when it ran; 1 with one line on `err` when no instance runs or
/// it did not answer.
int runAction(const CommandLine& cl, std::ostream& err);

} // namespace tintwell::app
