#include "app/platform_backend.h"

#include "platform/linux/fallback_location_services.h"
#include "platform/linux/linux_lifecycle_sources.h"
#include "platform/linux/lock_file_instance_claim.h"
#include "platform/virtual/virtual_display_services.h"
#include "platform/virtual/virtual_hot_key_service.h"
#include "platform/virtual/virtual_location_services.h"
#include "platform/virtual/virtual_workspace_services.h"
#include "platform/x11/x11_display_services.h"
#include "platform/x11/x11_hot_key_service.h"
#include "platform/x11/x11_instance_selection.h"
#include "platform/x11/x11_workspace_services.h"

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

/// The displays and the workspace of `session`; with `application`, the hot keys too.
std::optional<PlatformServices> createDisplayServices(const Session& session, const PlatformOptions& options,
                                                      bool application, QString* error) {
    PlatformServices services;
    switch (session.kind) {
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
    }
    return services;
}

} // namespace

Session detectSession(const Backend& requested) {
    Session session;
    if (requested.kind == Backend::Kind::Virtual) {
        session.kind = Session::Kind::Virtual;
        session.virtualDisplayCount = requested.virtualDisplayCount;
    } else {
        session.kind = Session::Kind::X11;
        session.displayNamed = !qEnvironmentVariableIsEmpty("DISPLAY");
    }
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
    const bool x11 = session.kind == Session::Kind::X11;
    platform.services.lifecycleSources = platform::createLinuxLifecycleSources(x11);
    // In-memory displays go with a location service that finds nothing by itself.
    if (x11)
        platform.services.location = createSystemLocationServices();
    else
        platform.services.location = std::make_unique<platform::VirtualLocationServices>();
    return platform;
}

} // namespace tintwell::app
