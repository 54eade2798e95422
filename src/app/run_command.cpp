#include "app/run_command.h"

#include "app/app_delegate.h"
#include "app/platform_backend.h"
#include "app/signal_handler.h"
#include "app/single_instance.h"
#include "platform/linux/fallback_location_services.h"
#include "platform/linux/linux_lifecycle_sources.h"
#include "settings/json_file_user_defaults.h"
#include "settings/settings_file_follower.h"

#include <QCoreApplication>
#include <QLoggingCategory>

namespace tintwell::app {

int runApplication(int& argc, char** argv, const CommandLine& cl, std::ostream& err) {
    QCoreApplication application(argc, argv);

    SingleInstance instance;
    const auto lock = instance.tryAcquire();
    if (const auto* running = std::get_if<SingleInstance::AlreadyRunning>(&lock)) {
        if (running->pid)
            err << "Tintwell is already running (pid " << *running->pid << ").\n";
        else
            err << "Tintwell is already running.\n";
        return 1;
    }
    if (const auto* failed = std::get_if<SingleInstance::Failed>(&lock))
        qWarning().noquote() << "Cannot check for another running instance:" << failed->message;

    QString error;
    auto platform = createPlatformServices(cl.backend, PlatformOptions{}, &error);
    if (!platform) {
        err << "tintwell: " << error.toStdString() << '\n';
        return 1;
    }

    settings::JsonFileUserDefaults defaults;
    AppServices services;
    services.defaults = &defaults;
    services.displays = platform->displays.get();
    services.workspace = platform->workspace.get();
    services.lifecycleSources = platform::createLinuxLifecycleSources(cl.backend.kind == Backend::Kind::X11);
    // In-memory displays go with a location service that finds nothing by itself.
    if (cl.backend.kind == Backend::Kind::X11)
        services.location = platform::createLinuxLocationServices();

    SignalHandler signals;
    AppDelegate delegate(std::move(services));
    delegate.applicationDidFinishLaunching();
    // The command line and editors change the file while the application runs.
    settings::SettingsFileFollower follower(defaults, *delegate.appState());
    const int status = QCoreApplication::exec();
    delegate.applicationWillTerminate();
    return status;
}

} // namespace tintwell::app
