#pragma once

#include "platform/display_services.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <QObject>
#include <QString>

namespace tintwell::platform {

/// A process identifier as the window system reports it.
using ProcessId = std::int32_t;

/// How an application presents itself; the numeric values are the ones the editor's picker filters on.
enum class ActivationPolicy {
    Regular = 0,   ///< has a normal top-level window
    Accessory = 1, ///< only panels, docks, utility or dialog windows
};

/// One running application: a process that owns at least one managed window.
struct RunningApplication {
    ProcessId pid = 0;         ///< 0 when its window does not say which process owns it
    std::string applicationId; ///< X11: the WM_CLASS class of its windows; empty when unknown
    std::string localizedName; ///< from its desktop entry in the user's language, else the application id
    std::string iconName;      ///< the desktop entry's Icon value (theme name or absolute path); may be empty
    std::string iconPath;      ///< that icon resolved to a file through the icon theme; empty when not found
    ActivationPolicy activationPolicy = ActivationPolicy::Regular;
    bool operator==(const RunningApplication&) const = default;
};

/// One on-screen window.
struct WindowInfo {
    std::optional<ProcessId> ownerPid; ///< absent when the window does not say which process owns it
    /// Stacking layer: 0 for normal windows, 3 for "always on top" ones, 20 for docks and panels,
    /// 101 for menus and notifications. Consumers ignore windows above 8.
    int layer = 0;
    Rect bounds; ///< global coordinates, pixels
    bool operator==(const WindowInfo&) const = default;
};

/// The running applications, the frontmost one, and the windows on screen.
///
/// Lives on the main thread; every method and signal belongs there.
class WorkspaceServices : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~WorkspaceServices() override = default;

    /// Applications owning at least one managed window, in the window manager's order.
    virtual std::vector<RunningApplication> runningApplications() = 0;
    /// The application owning the active window; nothing when none is known.
    virtual std::optional<RunningApplication> frontmostApplication() = 0;
    /// Windows that are visible now (not minimised, on the current desktop), front to back.
    /// Desktop backgrounds are left out.
    virtual std::vector<WindowInfo> onScreenWindows() = 0;
    /// Why the frontmost application cannot be known here, in one line for the exceptions editor;
    /// empty where it can.
    virtual QString unavailableReason() const { return {}; }

Q_SIGNALS:
    /// The frontmost application changed; emitted on the main thread, with the new one (or nothing).
    void
    frontmostApplicationChanged(const std::optional<tintwell::platform::RunningApplication>& application);
    /// A managed window went away (a full-screen game or a recorder among them); emitted on the
    /// main thread.
    void windowClosed();
};

} // namespace tintwell::platform
