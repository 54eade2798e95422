#include "platform/wayland/wayland_workspace_services.h"

#include "platform/x11/desktop_entry_index.h"

#include <algorithm>

#include <wayland-client.h>
#include <wlr-foreign-toplevel-management-unstable-v1-client-protocol.h>

namespace tintwell::platform {

struct WaylandWorkspaceServices::Toplevel {
    WaylandWorkspaceServices* owner = nullptr;
    zwlr_foreign_toplevel_handle_v1* handle = nullptr;
    // Taken over from `pending` at each done, so a half-told change is never seen.
    struct State {
        std::string appId;
        std::vector<wl_output*> outputs;
        bool activated = false;
        bool minimized = false;
    } state, pending;

    ~Toplevel() {
        if (handle)
            zwlr_foreign_toplevel_handle_v1_destroy(handle);
    }
};

/// Hands the compositor's events about the toplevels to their owner.
struct ToplevelListener {
    using Toplevel = WaylandWorkspaceServices::Toplevel;
    static Toplevel& of(void* data) { return *static_cast<Toplevel*>(data); }

    static void title(void*, zwlr_foreign_toplevel_handle_v1*, const char*) {}
    static void appId(void* data, zwlr_foreign_toplevel_handle_v1*, const char* id) {
        of(data).pending.appId = id;
    }
    static void outputEnter(void* data, zwlr_foreign_toplevel_handle_v1*, wl_output* output) {
        auto& outputs = of(data).pending.outputs;
        if (std::find(outputs.begin(), outputs.end(), output) == outputs.end())
            outputs.push_back(output);
    }
    static void outputLeave(void* data, zwlr_foreign_toplevel_handle_v1*, wl_output* output) {
        std::erase(of(data).pending.outputs, output);
    }
    static void state(void* data, zwlr_foreign_toplevel_handle_v1*, wl_array* states) {
        auto& s = of(data).pending;
        s.activated = s.minimized = false;
        const auto* begin = static_cast<const std::uint32_t*>(states->data);
        for (const auto* p = begin; p < begin + states->size / sizeof(std::uint32_t); ++p) {
            s.activated |= *p == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_ACTIVATED;
            s.minimized |= *p == ZWLR_FOREIGN_TOPLEVEL_HANDLE_V1_STATE_MINIMIZED;
        }
    }
    static void done(void* data, zwlr_foreign_toplevel_handle_v1*) { of(data).owner->onDone(of(data)); }
    static void closed(void* data, zwlr_foreign_toplevel_handle_v1*) { of(data).owner->onClosed(of(data)); }
    static void parent(void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {}

    static constexpr zwlr_foreign_toplevel_handle_v1_listener kHandle = {
        .title = title,
        .app_id = appId,
        .output_enter = outputEnter,
        .output_leave = outputLeave,
        .state = state,
        .done = done,
        .closed = closed,
        .parent = parent,
    };

    static void toplevel(void* data, zwlr_foreign_toplevel_manager_v1*,
                         zwlr_foreign_toplevel_handle_v1* handle) {
        auto* owner = static_cast<WaylandWorkspaceServices*>(data);
        auto* t = new Toplevel;
        t->owner = owner;
        t->handle = handle;
        zwlr_foreign_toplevel_handle_v1_add_listener(handle, &kHandle, t);
        owner->onToplevel(t);
    }
    static void finished(void* data, zwlr_foreign_toplevel_manager_v1* manager) {
        auto* owner = static_cast<WaylandWorkspaceServices*>(data);
        zwlr_foreign_toplevel_manager_v1_destroy(manager);
        owner->manager_ = nullptr;
    }
    static constexpr zwlr_foreign_toplevel_manager_v1_listener kManager = {.toplevel = toplevel,
                                                                           .finished = finished};
};

WaylandWorkspaceServices::WaylandWorkspaceServices(std::shared_ptr<WaylandConnection> connection,
                                                   std::shared_ptr<WaylandOutputs> outputs, QObject* parent)
    : WorkspaceServices(parent), connection_(std::move(connection)), outputs_(std::move(outputs)),
      entries_(std::make_unique<DesktopEntryIndex>()) {
    if (const WaylandGlobal* g = connection_->find(zwlr_foreign_toplevel_manager_v1_interface.name)) {
        manager_ = static_cast<zwlr_foreign_toplevel_manager_v1*>(
            wl_registry_bind(connection_->registry(), g->name, &zwlr_foreign_toplevel_manager_v1_interface,
                             std::min(g->version, 3u)));
        zwlr_foreign_toplevel_manager_v1_add_listener(manager_, &ToplevelListener::kManager, this);
        // The toplevels that exist already, so the first question has an answer.
        connection_->roundtrip();
    }
}

WaylandWorkspaceServices::~WaylandWorkspaceServices() {
    toplevels_.clear();
    if (manager_)
        zwlr_foreign_toplevel_manager_v1_destroy(manager_);
    connection_->flush();
}

void WaylandWorkspaceServices::onToplevel(Toplevel* toplevel) {
    toplevels_.emplace_back(toplevel);
}

void WaylandWorkspaceServices::onDone(Toplevel& toplevel) {
    toplevel.state = toplevel.pending;
    standInPid(toplevel.state.appId);
    const auto active = activeAppId();
    if (active != lastFrontmost_) {
        lastFrontmost_ = active;
        Q_EMIT frontmostApplicationChanged(active ? std::optional(describe(*active)) : std::nullopt);
    }
}

void WaylandWorkspaceServices::onClosed(Toplevel& toplevel) {
    std::erase_if(toplevels_, [&](const auto& t) { return t.get() == &toplevel; });
    Q_EMIT windowClosed();
    const auto active = activeAppId();
    if (active != lastFrontmost_) {
        lastFrontmost_ = active;
        Q_EMIT frontmostApplicationChanged(active ? std::optional(describe(*active)) : std::nullopt);
    }
}

std::optional<std::string> WaylandWorkspaceServices::activeAppId() const {
    for (const auto& t : toplevels_)
        if (t->state.activated && !t->state.appId.empty())
            return t->state.appId;
    return std::nullopt;
}

ProcessId WaylandWorkspaceServices::standInPid(const std::string& appId) {
    const auto it = pids_.find(appId);
    if (it != pids_.end())
        return it->second;
    const ProcessId pid = -ProcessId(pids_.size() + 1);
    pids_.emplace(appId, pid);
    return pid;
}

RunningApplication WaylandWorkspaceServices::describe(const std::string& appId) {
    RunningApplication app;
    app.pid = standInPid(appId);
    app.applicationId = appId;
    app.localizedName = appId;
    if (const auto entry = entries_->lookup(appId)) {
        if (!entry->name.empty())
            app.localizedName = entry->name;
        app.iconName = entry->iconName;
        app.iconPath = entry->iconPath;
    }
    return app;
}

std::vector<RunningApplication> WaylandWorkspaceServices::runningApplications() {
    std::vector<RunningApplication> apps;
    std::vector<std::string> seen;
    for (const auto& t : toplevels_) {
        const std::string& id = t->state.appId;
        if (id.empty() || std::find(seen.begin(), seen.end(), id) != seen.end())
            continue;
        seen.push_back(id);
        apps.push_back(describe(id));
    }
    return apps;
}

std::optional<RunningApplication> WaylandWorkspaceServices::frontmostApplication() {
    const auto active = activeAppId();
    return active ? std::optional(describe(*active)) : std::nullopt;
}

QString WaylandWorkspaceServices::unavailableReason() const {
    if (manager_)
        return {};
    return "Unavailable: this compositor does not tell which window is in front "
           "(no wlr-foreign-toplevel-management).";
}

std::vector<WindowInfo> WaylandWorkspaceServices::onScreenWindows() {
    std::vector<WindowInfo> windows;
    // The activated toplevel is the front one; the protocol says nothing of the others' order.
    std::vector<const Toplevel*> order;
    for (const auto& t : toplevels_)
        order.push_back(t.get());
    std::stable_partition(order.begin(), order.end(), [](const Toplevel* t) { return t->state.activated; });
    for (const Toplevel* t : order) {
        if (t->state.minimized || t->state.appId.empty())
            continue;
        for (wl_output* output : t->state.outputs) {
            const auto id = outputs_->idOf(output);
            const auto info = id ? outputs_->output(*id) : std::nullopt;
            if (!info)
                continue;
            WindowInfo w;
            w.ownerPid = standInPid(t->state.appId);
            w.bounds = info->bounds;
            windows.push_back(w);
        }
    }
    return windows;
}

} // namespace tintwell::platform
