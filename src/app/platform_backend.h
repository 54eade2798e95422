#pragma once

#include "platform/display_services.h"
#include "platform/hot_key_service.h"
#include "platform/instance_claim.h"
#include "platform/lifecycle_event_source.h"
#include "platform/location_services.h"
#include "platform/workspace_services.h"

#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include <QString>

namespace tintwell::app {

// The one place that knows the platform backends: everything else sees the interfaces in
// platform/. A new backend is a new Session::Kind, found by detectSession() and built below.

/// The session the program finds itself in.
struct Session {
    /// None: nothing to tint here; `unavailable` says why.
    enum class Kind { None, X11, Wayland, Virtual, Gnome, Kde };
    Kind kind = Kind::X11;
    QString unavailable;
    int virtualDisplayCount = 0; ///< with Virtual: how many displays
    /// An X display is named: the single instance is claimed on it rather than with a lock file.
    bool displayNamed = false;
    /// Widgets can be shown: a Qt platform chosen explicitly, a Wayland session, or an X server
    /// that answers (Qt would abort the process on one that does not).
    bool graphical = false;
};

/// Which implementation of the platform services to use, as asked on the command line.
struct Backend {
    /// Nothing: a Wayland compositor with gamma control when WAYLAND_DISPLAY names one, then GNOME's
    /// or KDE Plasma's colour machinery on those desktops' Wayland sessions, else X11.
    std::optional<Session::Kind> kind;
    int virtualDisplayCount = 2; ///< with Virtual: how many displays
};

/// The backend's name for people and for JSON: "x11", "wayland", "gnome", "kde", "virtual", or "none".
QString backendName(Session::Kind kind);

/// Finds the session to serve: the virtual one when asked for, otherwise the one the environment
/// names. Call before the application object exists.
Session detectSession(const Backend& requested);

struct PlatformOptions {
    /// One-shot commands leave their tint on screen when they exit: nothing is recorded for a
    /// later restore, and no record of a running instance is touched.
    bool keepTransferTablesOnExit = false;
};

/// The platform services of one session, created once at start-up.
struct PlatformServices {
    QString backend; ///< backendName() of the session they serve
    std::unique_ptr<platform::DisplayServices> displays;
    std::unique_ptr<platform::WorkspaceServices> workspace;
    /// Only the running application has these; null when the key grabs cannot be had.
    std::unique_ptr<platform::HotKeyService> hotKeys;
    /// Only the running application has these: wake, clock-set and time-zone events.
    std::vector<std::unique_ptr<platform::LifecycleEventSource>> lifecycleSources;
    /// Only the running application has one: where the user is.
    std::unique_ptr<platform::LocationServices> location;
};

/// Creates the display and workspace services for a one-shot command. On failure (no X display,
/// no RandR…) returns nothing and sets `error` to one line for the user. Call on the main thread.
std::optional<PlatformServices> createPlatformServices(const Backend& backend, const PlatformOptions& options,
                                                       QString* error);

/// The system's location service, for a command that looks the location up by itself.
std::unique_ptr<platform::LocationServices> createSystemLocationServices();

/// The running application's platform: the session's single-instance claim, held, and every
/// service of the session.
struct ApplicationPlatform {
    std::unique_ptr<platform::InstanceClaim> instance;
    PlatformServices services;
};
/// Another instance holds the session.
struct AnotherInstanceRuns {
    std::optional<pid_t> pid; ///< its pid, when it says
};
/// The session cannot be served (one line for the user).
struct PlatformUnavailable {
    QString message;
};
using ApplicationStart = std::variant<ApplicationPlatform, AnotherInstanceRuns, PlatformUnavailable>;

/// Claims the single instance of `session` and only then builds its services, so that a second
/// start touches no display. Call on the main thread, once the application object exists.
ApplicationStart startApplicationPlatform(const Session& session);

} // namespace tintwell::app
