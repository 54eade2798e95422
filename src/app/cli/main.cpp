#include "app/cli/check_updates_command.h"
#include "app/cli/command_line.h"
#include "app/cli/hotkey_command.h"
#include "app/cli/list_apps_command.h"
#include "app/cli/list_displays_command.h"
#include "app/cli/locate_command.h"
#include "app/cli/oneshot_command.h"
#include "app/cli/print_command.h"
#include "app/cli/run_command.h"
#include "app/cli/settings_command.h"
#include "app/cli/status_command.h"
#include "app/log_output.h"

#include <iostream>

#include <QCoreApplication>

using namespace tintwell::app;

int main(int argc, char** argv) {
    installLogOutput();
    QCoreApplication::setApplicationName("tintwell");
    QCoreApplication::setApplicationVersion(TINTWELL_VERSION);
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    const auto parsed = parseCommandLine(arguments);
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        std::cerr << "tintwell: " << error->message.toStdString() << '\n';
        return 2;
    }
    const CommandLine& cl = std::get<CommandLine>(parsed);
    if (cl.mode == Mode::Run)
        return runApplication(argc, argv, cl, std::cerr);

    // The one-shot modes reach the desktop through Qt's event machinery, which needs an application.
    QCoreApplication application(argc, argv);
    switch (cl.mode) {
    case Mode::Version:
        std::cout << "tintwell " << TINTWELL_VERSION << '\n';
        return 0;
    case Mode::Print:
        return runPrint(cl, std::cout);
    case Mode::ListApps:
        return runListApps(cl, std::cout, std::cerr);
    case Mode::ListDisplays:
        return runListDisplays(cl, std::cout, std::cerr);
    case Mode::Oneshot:
    case Mode::Reset:
        return runOneshot(cl, std::cerr);
    case Mode::Set:
        return runSet(cl, std::cout, std::cerr);
    case Mode::Get:
        return runGet(cl, std::cout, std::cerr);
    case Mode::Locate:
        return runLocate(cl, std::cout, std::cerr);
    case Mode::CheckUpdates:
        return runCheckUpdates(cl, std::cout);
    case Mode::Status:
        return runStatus(cl, std::cout, std::cerr);
    case Mode::Hotkey:
        return runHotkey(cl, std::cout, std::cerr);
    case Mode::Hotkeys:
        return runHotkeys(cl, std::cout, std::cerr);
    case Mode::Run:
    case Mode::Help:
        std::cout << helpText().toStdString();
        return 0;
    }
    return 0;
}
