#include "app/cli/help_command.h"

#include "app/cli/command_registry.h"

#include <QCommandLineParser>

namespace tintwell::app {

QString programDescription() {
    return "Tintwell warms or cools every display by where the sun is at your location.";
}

QString helpText() {
    QCommandLineParser parser;
    parser.addOptions(commandLineOptions());
    parser.setApplicationDescription(
        programDescription() +
        "\nWithout options it runs the application; otherwise choose one mode per run.");
    return parser.helpText();
}

int runHelp(std::ostream& out) {
    out << helpText().toStdString();
    return 0;
}

} // namespace tintwell::app
