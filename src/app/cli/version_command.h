#pragma once

#include <ostream>

#include <QString>

namespace tintwell::app {

/// The version this program was built as.
QString programVersion();

/// `--version`.
int runVersion(std::ostream& out);

} // namespace tintwell::app
