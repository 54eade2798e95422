#include "app/cli/version_command.h"

namespace tintwell::app {

QString programVersion() {
    return TINTWELL_VERSION;
}

int runVersion(std::ostream& out) {
    out << "tintwell " << TINTWELL_VERSION << '\n';
    return 0;
}

} // namespace tintwell::app
