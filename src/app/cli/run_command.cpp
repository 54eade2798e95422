#include "app/cli/run_command.h"

#include "app/app_delegate.h"
#include "app/bus/application_bus_client.h"
#include "app/platform_backend.h"
#include "app/signal_handler.h"
#include "settings/json_file_user_defaults.h"

#include <memory>

#include <QApplication>
#include <QCoreApplication>

namespace tintwell::app {

int runApplication(int& argc, char** argv, const CommandLine& cl, std::ostream& err) {
    const Session session = detectSession(cl.backend);
    std::unique_ptr<QCoreApplication> application;
    if (session.graphical) {
        auto gui = std::make_unique<QApplication>(argc, argv);
        // The popup is the only window; closing it must not end the program.
        gui->setQuitOnLastWindowClosed(false);
        application = std::move(gui);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    // From here on a termination signal ends the start-up in order too.
    SignalHandler signals;

    auto start = startApplicationPlatform(session);
    if (const auto* other = std::get_if<AnotherInstanceRuns>(&start)) {
        if (other->pid)
            err << "Tintwell is already running (pid " << *other->pid << ").\n";
        else
            err << "Tintwell is already running.\n";
        // As a launcher click should: the running instance comes forward.
        requestShowPopup();
        return 1;
    }
    if (const auto* unavailable = std::get_if<PlatformUnavailable>(&start)) {
        err << "tintwell: " << unavailable->message.toStdString() << '\n';
        return 1;
    }
    ApplicationPlatform& platform = std::get<ApplicationPlatform>(start);

    settings::JsonFileUserDefaults defaults;
    AppServices services;
    services.defaults = &defaults;
    services.settingsFile = &defaults;
    services.displays = platform.services.displays.get();
    services.workspace = platform.services.workspace.get();
    services.hotKeys = platform.services.hotKeys.get();
    services.lifecycleSources = std::move(platform.services.lifecycleSources);
    services.location = std::move(platform.services.location);
    services.instance = platform.instance.get();
    services.userInterface = session.graphical;
    services.onSessionBus = true;
    services.backend = platform.services.backend;

    AppDelegate delegate(std::move(services));
    delegate.applicationDidFinishLaunching();
    const int status = QCoreApplication::exec();
    delegate.applicationWillTerminate();
    return status;
}

} // namespace tintwell::app
