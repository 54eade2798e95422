#include "app/cli/run_command.h"

#include "app/app_delegate.h"
#include "app/bus/application_bus_face.h"
#include "app/cli/status_command.h"
#include "app/log_output.h"
#include "app/platform_backend.h"
#include "app/signal_handler.h"
#include "app/single_instance.h"
#include "platform/linux/fallback_location_services.h"
#include "platform/linux/linux_lifecycle_sources.h"
#include "platform/x11/x11_instance_selection.h"
#include "settings/json_file_user_defaults.h"
#include "settings/settings_file_follower.h"
#include "shortcuts/global_shortcuts.h"
#include "ui/tray/menu_bar_controller.h"

#include <memory>

#include <QApplication>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QLoggingCategory>

#include <xcb/xcb.h>

namespace tintwell::app {
namespace {

/// Whether widgets can be shown: a platform chosen explicitly, a Wayland session, or an X server
/// that answers (Qt would abort the process on one that does not).
bool graphicalSessionAvailable() {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return true;
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool ok = !xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    return ok;
}

} // namespace

int runApplication(int& argc, char** argv, const CommandLine& cl, std::ostream& err) {
    const bool graphical = graphicalSessionAvailable();
    std::unique_ptr<QCoreApplication> application;
    if (graphical) {
        auto gui = std::make_unique<QApplication>(argc, argv);
        // The popup is the only window; closing it must not end the program.
        gui->setQuitOnLastWindowClosed(false);
        application = std::move(gui);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
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
        // As a launcher click should: the running instance comes forward.
        requestShowPopup();
        return 1;
    }

    QString error;
    auto platform = createPlatformServices(cl.backend, PlatformOptions{.globalHotKeys = true}, &error);
    if (!platform) {
        err << "tintwell: " << error.toStdString() << '\n';
        return 1;
    }

    settings::JsonFileUserDefaults defaults;
    AppServices services;
    services.defaults = &defaults;
    services.displays = platform->displays.get();
    services.workspace = platform->workspace.get();
    services.hotKeys = platform->hotKeys.get();
    services.lifecycleSources = platform::createLinuxLifecycleSources(cl.backend.kind == Backend::Kind::X11);
    // In-memory displays go with a location service that finds nothing by itself.
    if (cl.backend.kind == Backend::Kind::X11)
        services.location = platform::createLinuxLocationServices();
    services.userInterface = graphical;

    AppDelegate delegate(std::move(services));
    if (selection) {
        // Without its server the process has nothing left to tint or restore, and must not linger
        // as if it still ran.
        QObject::connect(selection.get(), &platform::X11InstanceSelection::connectionLost, [] {
            reportLostDisplayConnection();
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
    // Both come after the first evaluation: the bus face then never reports a tint not yet decided,
    // and a file change read back during launch would only cost a second tick.
    // The command line and editors change the file while the application runs.
    settings::SettingsFileFollower follower(defaults, *delegate.appState());
    // A hotkey assigned with --hotkey while the application runs is grabbed as soon as it is read.
    QObject::connect(&follower, &settings::SettingsFileFollower::followed, &delegate, [&delegate] {
        if (shortcuts::GlobalShortcuts* shortcuts = delegate.globalShortcuts())
            shortcuts->reloadFromStore();
    });
    ApplicationBusFace busFace(*delegate.appState(), delegate.appExceptions());
    QObject::connect(&busFace, &ApplicationBusFace::reapplyRequested, &delegate, &AppDelegate::reapply);
    if (QString busError; !busFace.registerOn(QDBusConnection::sessionBus(), &busError))
        qWarning().noquote() << "Not on D-Bus:" << busError;
    if (graphical) {
        QObject::connect(&busFace, &ApplicationBusFace::showPopupRequested, &delegate, [&delegate] {
            if (ui::MenuBarController* menuBar = delegate.menuBar())
                menuBar->showPopover();
        });
    } else
        qInfo().noquote() << "No graphical session: Tintwell runs without its status icon; the command line "
                             "still controls it";
    const int status = QCoreApplication::exec();
    delegate.applicationWillTerminate();
    return status;
}

} // namespace tintwell::app
