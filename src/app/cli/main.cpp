#include "app/cli/command_line.h"
#include "app/cli/command_registry.h"
#include "app/cli/version_command.h"
#include "app/log_output.h"

#include <iostream>
#include <optional>

#include <QCoreApplication>

using namespace tintwell::app;

int main(int argc, char** argv) {
    installLogOutput();
    QCoreApplication::setApplicationName("tintwell");
    QCoreApplication::setApplicationVersion(programVersion());
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    const auto parsed = parseCommandLine(arguments);
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        std::cerr << "tintwell: " << error->message.toStdString() << '\n';
        return 2;
    }
    const auto& [command, values] = std::get<ParsedCommandLine>(parsed);
    std::optional<QCoreApplication> application;
    if (command->needsApplication)
        application.emplace(argc, argv);
    Invocation io{argc, argv, std::cout, std::cerr};
    return command->run(values, io);
}
