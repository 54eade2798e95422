#pragma once

#include "platform/workspace_services.h"
#include "platform/x11/desktop_entry_index.h"

#include <memory>

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

class QSocketNotifier;

namespace tintwell::platform {

/// Running applications, the frontmost one and the on-screen windows of an X11 desktop, read from
/// the window manager's EWMH properties.
///
/// An application is a process (`_NET_WM_PID`, else the X Resource extension's client pid) owning
/// managed client windows; its id is the WM_CLASS class of those windows. The frontmost
/// application owns `_NET_ACTIVE_WINDOW`; when the window manager clears that property (between
/// two activations, or on a click on the desktop) the last application stays frontmost until
/// another one is activated or its window closes. Without an EWMH window manager there is no
/// frontmost application and no window list. Changes arrive through the X connection, which this
/// object watches from the thread it lives on.
class X11WorkspaceServices final : public WorkspaceServices {
    Q_OBJECT
public:
    /// Connects to `displayName` (nullptr: $DISPLAY); nothing when that fails (the caller says so).
    static std::unique_ptr<X11WorkspaceServices> create(const char* displayName = nullptr,
                                                        QObject* parent = nullptr);
    ~X11WorkspaceServices() override;

    std::vector<RunningApplication> runningApplications() override;
    std::optional<RunningApplication> frontmostApplication() override;
    std::vector<WindowInfo> onScreenWindows() override;

    /// Whether an EWMH window manager runs now.
    bool hasWindowManager() const { return windowManager_; }

private:
    struct Client;

    X11WorkspaceServices(xcb_connection_t* connection, int screen, QObject* parent);

    void processEvents();
    void scheduleEventProcessing();
    void checkWindowManager();
    /// The root's _NET_ACTIVE_WINDOW, or none when it is unset or unreadable.
    xcb_window_t activeWindow();
    void followActiveWindow();
    void followClientList();
    std::vector<xcb_window_t> windowList(bool stacking);
    std::vector<Client> describeClients(const std::vector<xcb_window_t>& windows, bool withGeometry);
    /// Asks the X Resource extension for the process of each client that does not name its own.
    void findMissingPids(std::vector<Client>& clients);
    std::optional<RunningApplication> applicationOf(xcb_window_t window);
    RunningApplication makeApplication(ProcessId pid, const std::string& cls, ActivationPolicy policy);
    void setFrontmost(std::optional<RunningApplication> app, xcb_window_t window);

    xcb_connection_t* connection_;
    xcb_ewmh_connection_t ewmh_{};
    int screen_;
    xcb_window_t root_;
    QSocketNotifier* notifier_ = nullptr;
    bool windowManager_ = false;
    bool windowManagerChecked_ = false;
    bool processingScheduled_ = false;
    bool resourcePids_ = false; // the X Resource extension 1.2 answers pid queries
    std::optional<RunningApplication> frontmost_;
    xcb_window_t frontmostWindow_ = XCB_WINDOW_NONE;
    std::vector<xcb_window_t> clients_; // sorted, as last seen
    DesktopEntryIndex desktopEntries_;
};

} // namespace tintwell::platform
