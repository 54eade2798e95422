#include "app/platform_backend.h"

#include "platform/gnome/gnome_display_services.h"
#include "platform/kde/kde_display_services.h"
#include "platform/linux/fallback_location_services.h"
#include "platform/linux/linux_lifecycle_sources.h"
#include "platform/linux/lock_file_instance_claim.h"
#include "platform/portal/portal_hot_key_service.h"
#include "platform/virtual/virtual_display_services.h"
#include "platform/virtual/virtual_hot_key_service.h"
#include "platform/virtual/virtual_location_services.h"
#include "platform/virtual/virtual_workspace_services.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_display_services.h"
#include "platform/wayland/wayland_outputs.h"
#include "platform/wayland/wayland_workspace_services.h"
#include "platform/x11/x11_display_services.h"
#include "platform/x11/x11_hot_key_service.h"
#include "platform/x11/x11_instance_selection.h"
#include "platform/x11/x11_workspace_services.h"

#include <QDBusConnection>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>

#include <xcb/xcb.h>

namespace tintwell::app {
namespace {

bool xServerAnswers() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool ok = !xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    return ok;
}

// --- GNOME and KDE Plasma on Wayland -------------------------------------------------------------
// Both tint through the desktop's own colour machinery on the session bus; neither tells a client
// which windows are open, so they have no workspace.

/// The desktop named by XDG_CURRENT_DESKTOP (a colon-separated list), on Wayland only: on X11 RandR
/// reaches the tables directly.
std::optional<Session::Kind> waylandDesktop() {
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariable("XDG_SESSION_TYPE") != "wayland")
        return std::nullopt;
    const QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(':');
    if (desktops.contains("GNOME", Qt::CaseInsensitive))
        return Session::Kind::Gnome;
    if (desktops.contains("KDE", Qt::CaseInsensitive))
        return Session::Kind::Kde;
    return std::nullopt;
}

bool createDesktopDisplayServices(const Session& session, const PlatformOptions& options,
                                  PlatformServices& services, QString* error) {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (session.kind == Session::Kind::Gnome) {
        services.displays = platform::GnomeDisplayServices::create(bus, error);
    } else {
        auto kde = platform::KdeDisplayServices::defaultOptions();
        if (options.keepTransferTablesOnExit)
            kde.stateFile.clear();
        services.displays = platform::KdeDisplayServices::create(bus, kde, error);
    }
    return services.displays != nullptr;
}
// --------------------------------------------------------------------------------------------------

/// Hot keys where no client may grab keys: through the desktop portal when it offers global
/// shortcuts, else none (the desktop's own bindings run `--action`). The portal gets a connection of
/// its own, so that the application id it is told comes before any portal call Qt makes.
std::unique_ptr<platform::HotKeyService> portalHotKeys() {
    return platform::PortalHotKeyService::create(
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, "tintwell-portal"));
}

constexpr char kGammaControl[] = "zwlr_gamma_control_manager_v1";

/// One running application per Wayland display: a lock file named after the display's socket.
QString waylandLockPath() {
    QString socket = qEnvironmentVariable("WAYLAND_DISPLAY");
    for (QChar& ch : socket)
        if (!ch.isLetterOrNumber() && ch != '-' && ch != '.')
            ch = '_';
    return QFileInfo(platform::LockFileInstanceClaim::defaultLockPath())
        .dir()
        .filePath("tintwell-" + socket + ".lock");
}

/// The outputs, gamma control and toplevels of a wlroots compositor over one connection.
bool createWaylandServices(PlatformServices& services, QString* error) {
    auto connection = platform::WaylandConnection::open(error);
    if (!connection)
        return false;
    auto outputs = std::make_shared<platform::WaylandOutputs>(connection);
    services.displays = platform::WaylandDisplayServices::create(connection, outputs, error);
    if (!services.displays)
        return false;
    auto workspace = std::make_unique<platform::WaylandWorkspaceServices>(connection, outputs);
    if (!workspace->available())
        qInfo().noquote() << workspace->unavailableReason();
    services.workspace = std::move(workspace);
    return true;
}

/// The displays and the workspace of `session`; with `application`, the hot keys too.
std::optional<PlatformServices> createDisplayServices(const Session& session, const PlatformOptions& options,
                                                      bool application, QString* error) {
    PlatformServices services;
    services.backend = backendName(session.kind);
    switch (session.kind) {
    case Session::Kind::None:
        *error = session.unavailable;
        return std::nullopt;
    case Session::Kind::Wayland:
        if (!createWaylandServices(services, error))
            return std::nullopt;
        if (application)
            services.hotKeys = portalHotKeys();
        break;
    case Session::Kind::Virtual:
        services.displays = std::make_unique<platform::VirtualDisplayServices>(session.virtualDisplayCount);
        services.workspace = std::make_unique<platform::VirtualWorkspaceServices>();
        if (application)
            services.hotKeys = std::make_unique<platform::VirtualHotKeyService>();
        break;
    case Session::Kind::X11: {
        platform::X11DisplayServices::Options x11;
        if (!options.keepTransferTablesOnExit)
            x11.stateDirectory = platform::X11DisplayServices::defaultStateDirectory();
        services.displays = platform::X11DisplayServices::create(x11, error);
        if (!services.displays)
            return std::nullopt;
        services.workspace = platform::X11WorkspaceServices::create();
        if (!services.workspace) {
            *error = QString("Cannot open the X display %1.").arg(qEnvironmentVariable("DISPLAY"));
            return std::nullopt;
        }
        if (application)
            services.hotKeys = platform::X11HotKeyService::create();
        break;
    }
    case Session::Kind::Gnome:
    case Session::Kind::Kde:
        if (!createDesktopDisplayServices(session, options, services, error))
            return std::nullopt;
        if (application)
            services.hotKeys = portalHotKeys();
        break;
    }
    return services;
}

} // namespace

QString backendName(Session::Kind kind) {
    switch (kind) {
    case Session::Kind::X11:
        return "x11";
    case Session::Kind::Wayland:
        return "wayland";
    case Session::Kind::Virtual:
        return "virtual";
    case Session::Kind::Gnome:
        return "gnome";
    case Session::Kind::Kde:
        return "kde";
    case Session::Kind::None:
        break;
    }
    return "none";
}

Session detectSession(const Backend& requested) {
    Session session;
    const auto desktop = waylandDesktop();
    const bool x = !qEnvironmentVariableIsEmpty("DISPLAY");
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    // On Wayland, RandR through XWayland changes nothing on screen: the compositor's gamma control
    // comes first, then the desktop's own colour machinery, and X only when neither is there.
    if (requested.kind) {
        session.kind = *requested.kind;
        if (session.kind == Session::Kind::Virtual)
            session.virtualDisplayCount = requested.virtualDisplayCount;
    } else if (wayland && platform::waylandCompositorOffers(kGammaControl)) {
        session.kind = Session::Kind::Wayland;
    } else if (desktop) {
        session.kind = *desktop;
    } else if (x) {
        session.kind = Session::Kind::X11;
    } else {
        session.kind = Session::Kind::None;
        session.unavailable =
            wayland ? QString("The Wayland compositor on %1 offers no gamma control "
                              "(wlr-gamma-control-unstable-v1, as Sway, Hyprland, river, labwc and "
                              "Wayfire do), and no X display is set (DISPLAY).")
                          .arg(qEnvironmentVariable("WAYLAND_DISPLAY"))
                    : QString("No display to tint: neither WAYLAND_DISPLAY nor DISPLAY is set.");
    }
    session.displayNamed = session.kind == Session::Kind::X11 && x;
    session.graphical = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
                        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
                        (!qEnvironmentVariableIsEmpty("DISPLAY") && xServerAnswers());
    return session;
}

std::optional<PlatformServices> createPlatformServices(const Backend& backend, const PlatformOptions& options,
                                                       QString* error) {
    return createDisplayServices(detectSession(backend), options, false, error);
}

std::unique_ptr<platform::LocationServices> createSystemLocationServices() {
    return platform::createLinuxLocationServices();
}

ApplicationStart startApplicationPlatform(const Session& session) {
    ApplicationPlatform platform;
    // On X the claim belongs to the display, whatever folders this process was given; only a
    // session without a display falls back to a lock file.
    const bool onX = session.kind == Session::Kind::X11 && session.displayNamed;
    if (onX)
        platform.instance = std::make_unique<platform::X11InstanceSelection>();
    else if (session.kind == Session::Kind::Wayland && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        platform.instance = std::make_unique<platform::LockFileInstanceClaim>(waylandLockPath());
    else
        platform.instance = std::make_unique<platform::LockFileInstanceClaim>();
    const auto claim = platform.instance->tryClaim();
    if (const auto* other = std::get_if<platform::InstanceClaim::AlreadyRunning>(&claim))
        return AnotherInstanceRuns{other->pid};
    if (const auto* failed = std::get_if<platform::InstanceClaim::Failed>(&claim)) {
        // Without the display nothing else would work either; a lock file that cannot be had only
        // leaves a second start unnoticed.
        if (onX)
            return PlatformUnavailable{failed->message};
        qWarning().noquote() << "Cannot check for another running instance:" << failed->message;
    }

    QString error;
    auto services = createDisplayServices(session, PlatformOptions{}, true, &error);
    if (!services)
        return PlatformUnavailable{error};
    platform.services = std::move(*services);
    if (auto* wayland = dynamic_cast<platform::WaylandDisplayServices*>(platform.services.displays.get()))
        // As with the X display: without the compositor there is nothing left to do.
        QObject::connect(wayland->connection(), &platform::WaylandConnection::connectionLost,
                         platform.instance.get(), &platform::InstanceClaim::displayConnectionLost);
    const bool x11 = session.kind == Session::Kind::X11;
    platform.services.lifecycleSources = platform::createLinuxLifecycleSources(x11);
    // In-memory displays go with a location service that finds nothing by itself.
    if (session.kind != Session::Kind::Virtual)
        platform.services.location = createSystemLocationServices();
    else
        platform.services.location = std::make_unique<platform::VirtualLocationServices>();
    return platform;
}

} // namespace tintwell::app
