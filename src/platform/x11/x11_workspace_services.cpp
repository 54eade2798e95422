#include "platform/x11/x11_workspace_services.h"

#include "platform/outside_text.h"
#include "platform/x11/xcb_reply.h"

#include <algorithm>
#include <cstdlib>
#include <map>

#include <QLoggingCategory>
#include <QSocketNotifier>

#include <xcb/res.h>
#include <xcb/xcb_icccm.h>

Q_LOGGING_CATEGORY(lcWorkspace, "tintwell.workspace", QtInfoMsg)

namespace tintwell::platform {
namespace {

constexpr std::uint32_t kAllDesktops = 0xFFFFFFFF;

enum class Kind { Normal, Dialog, Utility, Dock, Desktop, Popup };

} // namespace

struct X11WorkspaceServices::Client {
    xcb_window_t window = XCB_WINDOW_NONE;
    std::optional<ProcessId> pid;
    std::string windowClass;
    Kind kind = Kind::Normal;
    // Filled in only when geometry is asked for.
    bool onScreen = false;
    bool above = false;
    Rect bounds;
};

std::unique_ptr<X11WorkspaceServices> X11WorkspaceServices::create(const char* displayName, QObject* parent) {
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(displayName, &screen);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::unique_ptr<X11WorkspaceServices>(new X11WorkspaceServices(connection, screen, parent));
}

X11WorkspaceServices::X11WorkspaceServices(xcb_connection_t* connection, int screen, QObject* parent)
    : WorkspaceServices(parent), connection_(connection), screen_(screen) {
    xcb_intern_atom_cookie_t* cookies = xcb_ewmh_init_atoms(connection_, &ewmh_);
    // A server that went away during start-up leaves no screens.
    const bool atoms =
        xcb_ewmh_init_atoms_replies(&ewmh_, cookies, nullptr) && ewmh_.screens && screen_ < ewmh_.nb_screens;
    root_ = atoms ? ewmh_.screens[screen_]->root : xcb_window_t{XCB_WINDOW_NONE};

    // Another client (the window manager) also listens to the root window; event masks are per client.
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection_);

    // Windows without _NET_WM_PID (many toolkits leave it out) are traced to their process through
    // the X Resource extension, which knows the pid behind each local connection.
    if (const auto* res = xcb_get_extension_data(connection_, &xcb_res_id); res && res->present) {
        const XcbReply<xcb_res_query_version_reply_t> version(
            xcb_res_query_version_reply(connection_, xcb_res_query_version(connection_, 1, 2), nullptr));
        resourcePids_ = version && (version->server_major > 1 ||
                                    (version->server_major == 1 && version->server_minor >= 2));
    }

    notifier_ = new QSocketNotifier(xcb_get_file_descriptor(connection_), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &X11WorkspaceServices::processEvents);

    if (atoms) {
        checkWindowManager();
        followActiveWindow();
        followClientList();
    } else {
        qCWarning(lcWorkspace,
                  "Cannot read the window manager's atoms: no frontmost application, no window list");
    }
    scheduleEventProcessing();
}

X11WorkspaceServices::~X11WorkspaceServices() {
    delete notifier_;
    xcb_ewmh_connection_wipe(&ewmh_);
    xcb_disconnect(connection_);
}

void X11WorkspaceServices::scheduleEventProcessing() {
    // Replies read from the socket may have pulled events into xcb's queue; the socket notifier
    // would not fire for those.
    if (processingScheduled_)
        return;
    processingScheduled_ = true;
    QMetaObject::invokeMethod(this, &X11WorkspaceServices::processEvents, Qt::QueuedConnection);
}

void X11WorkspaceServices::processEvents() {
    processingScheduled_ = false;
    for (;;) {
        bool managerChanged = false;
        bool activeChanged = false;
        bool clientsChanged = false;
        while (xcb_generic_event_t* raw = xcb_poll_for_event(connection_)) {
            const XcbReply<xcb_generic_event_t> event(raw);
            if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
                continue;
            const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(raw);
            if (notify->window != root_)
                continue;
            managerChanged |= notify->atom == ewmh_._NET_SUPPORTING_WM_CHECK;
            activeChanged |= notify->atom == ewmh_._NET_ACTIVE_WINDOW;
            clientsChanged |= notify->atom == ewmh_._NET_CLIENT_LIST;
        }
        if (!managerChanged && !activeChanged && !clientsChanged)
            break;
        // A burst (the same window announced twice, or 0 then the next window) is read once, as it ends.
        if (managerChanged)
            checkWindowManager();
        if (managerChanged || activeChanged)
            followActiveWindow();
        if (clientsChanged)
            followClientList();
    }
    if (xcb_connection_has_error(connection_) && notifier_->isEnabled()) {
        // The application reports the loss and exits; this only says what it means here.
        qCDebug(lcWorkspace, "Lost the connection to the X display");
        notifier_->setEnabled(false);
        windowManager_ = false;
        setFrontmost(std::nullopt, XCB_WINDOW_NONE);
    }
}

void X11WorkspaceServices::checkWindowManager() {
    // EWMH: the root names a check window, which must name itself; a stale one is left by a dead manager.
    bool managed = false;
    xcb_window_t check = XCB_WINDOW_NONE;
    if (xcb_ewmh_get_supporting_wm_check_reply(&ewmh_, xcb_ewmh_get_supporting_wm_check(&ewmh_, root_),
                                               &check, nullptr) &&
        check != XCB_WINDOW_NONE) {
        xcb_window_t self = XCB_WINDOW_NONE;
        managed = xcb_ewmh_get_supporting_wm_check_reply(
                      &ewmh_, xcb_ewmh_get_supporting_wm_check(&ewmh_, check), &self, nullptr) &&
                  self == check;
    }
    if (managed == windowManager_ && windowManagerChecked_)
        return;
    windowManagerChecked_ = true;
    windowManager_ = managed;
    if (!managed)
        qCInfo(lcWorkspace, "No EWMH window manager is running: no frontmost application and no window list");
    else
        qCDebug(lcWorkspace, "EWMH window manager found (check window 0x%x)", check);
}

xcb_window_t X11WorkspaceServices::activeWindow() {
    xcb_window_t active = XCB_WINDOW_NONE;
    const bool read = xcb_ewmh_get_active_window_reply(&ewmh_, xcb_ewmh_get_active_window(&ewmh_, screen_),
                                                       &active, nullptr);
    return read ? active : xcb_window_t{XCB_WINDOW_NONE};
}

void X11WorkspaceServices::followActiveWindow() {
    if (!windowManager_) {
        setFrontmost(std::nullopt, XCB_WINDOW_NONE);
        return;
    }
    const xcb_window_t active = activeWindow();
    // Some window managers clear the active window between two activations, or when the desktop is
    // clicked: the last application stays frontmost until another one is activated or its window closes.
    if (active == XCB_WINDOW_NONE)
        return;
    setFrontmost(applicationOf(active), active);
}

void X11WorkspaceServices::followClientList() {
    if (!windowManager_)
        return;
    std::vector<xcb_window_t> clients = windowList(false);
    std::sort(clients.begin(), clients.end());
    const bool closed = !std::includes(clients.begin(), clients.end(), clients_.begin(), clients_.end());
    clients_ = std::move(clients);
    if (frontmostWindow_ != XCB_WINDOW_NONE &&
        !std::binary_search(clients_.begin(), clients_.end(), frontmostWindow_)) {
        const xcb_window_t active = activeWindow();
        if (active == XCB_WINDOW_NONE)
            setFrontmost(std::nullopt, XCB_WINDOW_NONE);
        else
            setFrontmost(applicationOf(active), active);
    }
    if (closed)
        Q_EMIT windowClosed();
}

void X11WorkspaceServices::setFrontmost(std::optional<RunningApplication> app, xcb_window_t window) {
    frontmostWindow_ = app ? window : xcb_window_t{XCB_WINDOW_NONE};
    if (app == frontmost_)
        return;
    frontmost_ = std::move(app);
    qCDebug(lcWorkspace, "Frontmost application: %s (pid %d)",
            frontmost_ ? frontmost_->applicationId.c_str() : "none", frontmost_ ? frontmost_->pid : 0);
    Q_EMIT frontmostApplicationChanged(frontmost_);
}

std::vector<xcb_window_t> X11WorkspaceServices::windowList(bool stacking) {
    xcb_ewmh_get_windows_reply_t reply;
    const auto cookie = stacking ? xcb_ewmh_get_client_list_stacking(&ewmh_, screen_)
                                 : xcb_ewmh_get_client_list(&ewmh_, screen_);
    const bool ok = stacking ? xcb_ewmh_get_client_list_stacking_reply(&ewmh_, cookie, &reply, nullptr)
                             : xcb_ewmh_get_client_list_reply(&ewmh_, cookie, &reply, nullptr);
    if (!ok)
        return {};
    std::vector<xcb_window_t> windows(reply.windows, reply.windows + reply.windows_len);
    xcb_ewmh_get_windows_reply_wipe(&reply);
    return windows;
}

std::vector<X11WorkspaceServices::Client>
X11WorkspaceServices::describeClients(const std::vector<xcb_window_t>& windows, bool withGeometry) {
    // Every request goes out before the first reply is awaited: one round trip for the whole list.
    struct Cookies {
        xcb_get_property_cookie_t pid, cls, type, transient, state, desktop;
        xcb_get_window_attributes_cookie_t attributes;
        xcb_get_geometry_cookie_t geometry;
        xcb_translate_coordinates_cookie_t origin;
    };
    std::vector<Cookies> cookies;
    cookies.reserve(windows.size());
    for (const xcb_window_t w : windows) {
        Cookies c{};
        c.pid = xcb_ewmh_get_wm_pid(&ewmh_, w);
        c.cls = xcb_icccm_get_wm_class(connection_, w);
        c.type = xcb_ewmh_get_wm_window_type(&ewmh_, w);
        c.transient = xcb_icccm_get_wm_transient_for(connection_, w);
        if (withGeometry) {
            c.state = xcb_ewmh_get_wm_state(&ewmh_, w);
            c.desktop = xcb_ewmh_get_wm_desktop(&ewmh_, w);
            c.attributes = xcb_get_window_attributes(connection_, w);
            c.geometry = xcb_get_geometry(connection_, w);
            c.origin = xcb_translate_coordinates(connection_, w, root_, 0, 0);
        }
        cookies.push_back(c);
    }
    std::optional<std::uint32_t> currentDesktop;
    if (withGeometry) {
        std::uint32_t desktop = 0;
        if (xcb_ewmh_get_current_desktop_reply(&ewmh_, xcb_ewmh_get_current_desktop(&ewmh_, screen_),
                                               &desktop, nullptr))
            currentDesktop = desktop;
    }

    std::vector<Client> clients;
    clients.reserve(windows.size());
    for (std::size_t i = 0; i < windows.size(); ++i) {
        const Cookies& c = cookies[i];
        Client client;
        client.window = windows[i];

        std::uint32_t pid = 0;
        if (xcb_ewmh_get_wm_pid_reply(&ewmh_, c.pid, &pid, nullptr) && pid > 0)
            client.pid = static_cast<ProcessId>(pid);

        xcb_icccm_get_wm_class_reply_t cls;
        if (xcb_icccm_get_wm_class_reply(connection_, c.cls, &cls, nullptr)) {
            if (cls.class_name)
                client.windowClass = cls.class_name;
            xcb_icccm_get_wm_class_reply_wipe(&cls);
        }

        xcb_window_t transientFor = XCB_WINDOW_NONE;
        const bool transient =
            xcb_icccm_get_wm_transient_for_reply(connection_, c.transient, &transientFor, nullptr) &&
            transientFor != XCB_WINDOW_NONE;
        // EWMH: the first type in the list that is understood wins; no type means normal, or dialog
        // for a transient window.
        client.kind = transient ? Kind::Dialog : Kind::Normal;
        xcb_ewmh_get_atoms_reply_t types;
        if (xcb_ewmh_get_wm_window_type_reply(&ewmh_, c.type, &types, nullptr)) {
            const std::pair<xcb_atom_t, Kind> known[] = {
                {ewmh_._NET_WM_WINDOW_TYPE_NORMAL, Kind::Normal},
                {ewmh_._NET_WM_WINDOW_TYPE_DIALOG, Kind::Dialog},
                {ewmh_._NET_WM_WINDOW_TYPE_DOCK, Kind::Dock},
                {ewmh_._NET_WM_WINDOW_TYPE_DESKTOP, Kind::Desktop},
                {ewmh_._NET_WM_WINDOW_TYPE_UTILITY, Kind::Utility},
                {ewmh_._NET_WM_WINDOW_TYPE_TOOLBAR, Kind::Utility},
                {ewmh_._NET_WM_WINDOW_TYPE_SPLASH, Kind::Dialog},
                {ewmh_._NET_WM_WINDOW_TYPE_MENU, Kind::Utility},
                {ewmh_._NET_WM_WINDOW_TYPE_DROPDOWN_MENU, Kind::Popup},
                {ewmh_._NET_WM_WINDOW_TYPE_POPUP_MENU, Kind::Popup},
                {ewmh_._NET_WM_WINDOW_TYPE_TOOLTIP, Kind::Popup},
                {ewmh_._NET_WM_WINDOW_TYPE_NOTIFICATION, Kind::Popup},
                {ewmh_._NET_WM_WINDOW_TYPE_COMBO, Kind::Popup},
                {ewmh_._NET_WM_WINDOW_TYPE_DND, Kind::Popup},
            };
            bool found = false;
            for (std::uint32_t t = 0; t < types.atoms_len && !found; ++t)
                for (const auto& [atom, kind] : known)
                    if (!found && types.atoms[t] == atom) {
                        client.kind = kind;
                        found = true;
                    }
            xcb_ewmh_get_atoms_reply_wipe(&types);
        }

        if (withGeometry) {
            bool hidden = false;
            xcb_ewmh_get_atoms_reply_t states;
            if (xcb_ewmh_get_wm_state_reply(&ewmh_, c.state, &states, nullptr)) {
                for (std::uint32_t s = 0; s < states.atoms_len; ++s) {
                    hidden |= states.atoms[s] == ewmh_._NET_WM_STATE_HIDDEN;
                    client.above |= states.atoms[s] == ewmh_._NET_WM_STATE_ABOVE;
                }
                xcb_ewmh_get_atoms_reply_wipe(&states);
            }
            std::uint32_t desktop = kAllDesktops;
            const bool hasDesktop = xcb_ewmh_get_wm_desktop_reply(&ewmh_, c.desktop, &desktop, nullptr);
            const bool onCurrentDesktop =
                !hasDesktop || !currentDesktop || desktop == kAllDesktops || desktop == *currentDesktop;

            const XcbReply<xcb_get_window_attributes_reply_t> attributes(
                xcb_get_window_attributes_reply(connection_, c.attributes, nullptr));
            const XcbReply<xcb_get_geometry_reply_t> geometry(
                xcb_get_geometry_reply(connection_, c.geometry, nullptr));
            const XcbReply<xcb_translate_coordinates_reply_t> origin(
                xcb_translate_coordinates_reply(connection_, c.origin, nullptr));
            // A window closed since the list was read yields no replies and is dropped here.
            const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
            client.onScreen = viewable && geometry && origin && !hidden && onCurrentDesktop;
            if (geometry && origin)
                client.bounds = {static_cast<double>(origin->dst_x), static_cast<double>(origin->dst_y),
                                 static_cast<double>(geometry->width), static_cast<double>(geometry->height)};
        }
        clients.push_back(std::move(client));
    }
    if (resourcePids_)
        findMissingPids(clients);
    return clients;
}

void X11WorkspaceServices::findMissingPids(std::vector<Client>& clients) {
    std::vector<std::pair<Client*, xcb_res_query_client_ids_cookie_t>> asked;
    for (Client& c : clients)
        if (!c.pid) {
            const xcb_res_client_id_spec_t clientId{c.window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
            asked.emplace_back(&c, xcb_res_query_client_ids(connection_, 1, &clientId));
        }
    for (auto& [client, cookie] : asked) {
        const XcbReply<xcb_res_query_client_ids_reply_t> reply(
            xcb_res_query_client_ids_reply(connection_, cookie, nullptr));
        if (!reply)
            continue;
        for (auto it = xcb_res_query_client_ids_ids_iterator(reply.get()); it.rem;
             xcb_res_client_id_value_next(&it)) {
            const auto& [identity, bytes] = *it.data; // which kind of identity, and its size
            if ((identity.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) && bytes == sizeof(std::uint32_t) &&
                *xcb_res_client_id_value_value(it.data) > 0)
                client->pid = static_cast<ProcessId>(*xcb_res_client_id_value_value(it.data));
        }
    }
}

RunningApplication X11WorkspaceServices::makeApplication(ProcessId pid, const std::string& cls,
                                                         ActivationPolicy policy) {
    RunningApplication app;
    app.pid = pid;
    // A window class is whatever bytes the program set; the rest of the system handles text.
    app.applicationId = validUtf8(cls);
    app.localizedName = app.applicationId;
    app.activationPolicy = policy;
    if (const auto info = desktopEntries_.lookup(cls)) {
        app.localizedName = info->name;
        app.iconName = info->iconName;
        app.iconPath = info->iconPath;
    }
    return app;
}

std::vector<RunningApplication> X11WorkspaceServices::runningApplications() {
    if (!windowManager_)
        return {};
    struct Process {
        ProcessId pid;
        std::string normalClass;
        std::string anyClass;
        bool regular = false;
    };
    std::vector<Process> processes;
    for (const Client& c : describeClients(windowList(false), false)) {
        if (!c.pid)
            continue;
        auto it = std::find_if(processes.begin(), processes.end(),
                               [&](const Process& p) { return p.pid == *c.pid; });
        if (it == processes.end())
            it = processes.insert(processes.end(), Process{*c.pid, {}, {}, false});
        const bool normal = c.kind == Kind::Normal;
        it->regular |= normal;
        if (normal && it->normalClass.empty())
            it->normalClass = c.windowClass;
        if (it->anyClass.empty())
            it->anyClass = c.windowClass;
    }
    std::vector<RunningApplication> apps;
    for (const Process& p : processes)
        apps.push_back(makeApplication(p.pid, p.normalClass.empty() ? p.anyClass : p.normalClass,
                                       p.regular ? ActivationPolicy::Regular : ActivationPolicy::Accessory));
    scheduleEventProcessing();
    return apps;
}

std::optional<RunningApplication> X11WorkspaceServices::applicationOf(xcb_window_t window) {
    const auto described = describeClients({window}, false);
    const Client& c = described.front();
    if (c.pid) {
        // Described like in the running list, so that a dialog of an application does not make it
        // look like another one.
        for (auto& app : runningApplications())
            if (app.pid == *c.pid)
                return app;
    }
    if (!c.pid && c.windowClass.empty())
        return std::nullopt;
    return makeApplication(c.pid.value_or(0), c.windowClass,
                           c.kind == Kind::Normal ? ActivationPolicy::Regular : ActivationPolicy::Accessory);
}

std::optional<RunningApplication> X11WorkspaceServices::frontmostApplication() {
    return frontmost_;
}

std::vector<WindowInfo> X11WorkspaceServices::onScreenWindows() {
    if (!windowManager_)
        return {};
    std::vector<xcb_window_t> stacking = windowList(true);
    if (stacking.empty())
        stacking = windowList(false);
    const auto clients = describeClients(stacking, true);
    std::vector<WindowInfo> windows;
    // The stacking list runs bottom to top; callers get front to back.
    for (auto it = clients.rbegin(); it != clients.rend(); ++it) {
        if (!it->onScreen || it->kind == Kind::Desktop)
            continue;
        WindowInfo w;
        w.ownerPid = it->pid;
        switch (it->kind) {
        case Kind::Dock:
            w.layer = 20;
            break;
        case Kind::Popup:
            w.layer = 101;
            break;
        case Kind::Utility:
            w.layer = 3;
            break;
        default:
            w.layer = 0;
            break;
        }
        if (it->above)
            w.layer = std::max(w.layer, 3);
        w.bounds = it->bounds;
        windows.push_back(w);
    }
    scheduleEventProcessing();
    return windows;
}

} // namespace tintwell::platform
