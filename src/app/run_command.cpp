#include "app/run_command.h"

#include "app/app_delegate.h"
#include "app/platform_backend.h"
#include "app/signal_handler.h"
#include "app/single_instance.h"
#include "platform/linux/linux_lifecycle_sources.h"
#include "platform/x11/x11_instance_selection.h"
#include "settings/json_file_user_defaults.h"

#include <QCoreApplication>
#include <QLoggingCategory>

namespace tintwell::app {

int runApplication(int& argc, char** argv, const CommandLine& cl, std::ostream& err) {
    QCoreApplication application(argc, argv);
    // From here on a termination signal ends the start-up in order too.
    SignalHandler signals;

    // On X the claim belongs to the display, whatever folders this process was given; only the
    // virtual backend, which has no display, falls back to a lock file.
    std::unique_ptr<platform::X11InstanceSelection> selection;
    SingleInstance instance;
    const bool onX = cl.backend.kind == Backend::Kind::X11 && !qEnvironmentVariableIsEmpty("DISPLAY");
    std::optional<pid_t> runningPid;
    bool running = false;
    if (onX) {
        selection = std::make_unique<platform::X11InstanceSelection>();
        const auto claim = selection->tryAcquire();
        if (const auto* failed = std::get_if<platform::X11InstanceSelection::Failed>(&claim)) {
            err << "tintwell: " << failed->message.toStdString() << '\n';
            return 1;
        }
        if (const auto* other = std::get_if<platform::X11InstanceSelection::AlreadyRunning>(&claim)) {
            running = true;
            runningPid = other->pid;
        }
    } else {
        const auto lock = instance.tryAcquire();
        if (const auto* other = std::get_if<SingleInstance::AlreadyRunning>(&lock)) {
            running = true;
            runningPid = other->pid;
        }
        if (const auto* failed = std::get_if<SingleInstance::Failed>(&lock))
            qWarning().noquote() << "Cannot check for another running instance:" << failed->message;
    }
    if (running) {
        if (runningPid)
            err << "Tintwell is already running (pid " << *runningPid << ").\n";
        else
            err << "Tintwell is already running.\n";
        return 1;
    }

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

    AppDelegate delegate(std::move(services));
    if (selection) {
        // Without its server the process has nothing left to tint or restore, and must not linger
        // as if it still ran.
        QObject::connect(selection.get(), &platform::X11InstanceSelection::connectionLost, [] {
            qWarning().noquote() << "Lost the connection to the X display" << qEnvironmentVariable("DISPLAY")
                                 << "- quitting.";
            // Every other part notices the same loss; this line says it all.
            QLoggingCategory::setFilterRules(QStringLiteral("tintwell.*=false"));
            QCoreApplication::exit(1);
        });
        QObject::connect(selection.get(), &platform::X11InstanceSelection::selectionLost, [] {
            qWarning().noquote() << "Another program took over as the display's Tintwell - quitting.";
            QCoreApplication::exit(0);
        });
    }
    delegate.applicationDidFinishLaunching();
    const int status = QCoreApplication::exec();
    delegate.applicationWillTerminate();
    return status;
}

} // namespace tintwell::app
