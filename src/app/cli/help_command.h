#pragma once

#include <ostream>

#include <QString>

namespace tintwell::app {

/// The one-line description of the program that heads --help and the manual page.
QString programDescription();
/// The text of --help: every option of every mode.
QString helpText();

/// `--help`.
int runHelp(std::ostream& out);

} // namespace tintwell::app
