#include "platform/wayland/wayland_outputs.h"

#include <algorithm>

#include <QUuid>

#include <wayland-client.h>
#include <xdg-output-unstable-v1-client-protocol.h>

namespace tintwell::platform {
namespace {

// The namespace of every display key, shared with the X11 backend; the data below starts with
// "wayland:" so the two never meet by accident.
const QUuid kDisplayKeyNamespace("{5b0e7c1a-93d4-4e6f-a2b8-1c7d3f90e4a6}");

bool says(const std::string& text) {
    return !text.empty() && text != "Unknown" && text != "unknown" && text != "headless";
}

} // namespace

struct WaylandOutputs::Output {
    WaylandOutputs* owner = nullptr;
    wl_output* output = nullptr;
    zxdg_output_v1* xdg = nullptr;
    WaylandOutputInfo info;    // guarded by the owner's mutex
    WaylandOutputInfo pending; // main thread only: what the events say, taken over at done
    Rect mode;                 // geometry position and current mode size, for want of xdg-output
    bool logical = false;      // xdg-output said where and how large
    bool announced = false;

    void done() { owner->done(*this); } // a member of the class may reach its private parts
    ~Output() {
        if (xdg)
            zxdg_output_v1_destroy(xdg);
        if (output) {
            if (wl_output_get_version(output) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
                wl_output_release(output);
            else
                wl_output_destroy(output);
        }
    }
};

namespace {

using Output = WaylandOutputs::Output;

template <typename F>
void update(void* data, F change) {
    change(*static_cast<Output*>(data));
}

const wl_output_listener kOutputListener = {
    .geometry =
        [](void* data, wl_output*, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t, std::int32_t,
           const char* make, const char* model, std::int32_t) {
            update(data, [&](Output& o) {
                o.mode.x = x;
                o.mode.y = y;
                o.pending.make = make ? make : "";
                o.pending.model = model ? model : "";
            });
        },
    .mode =
        [](void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height,
           std::int32_t) {
            if (flags & WL_OUTPUT_MODE_CURRENT)
                update(data, [&](Output& o) {
                    o.mode.width = width;
                    o.mode.height = height;
                });
        },
    .done = [](void* data, wl_output*) { static_cast<Output*>(data)->done(); },
    .scale = [](void*, wl_output*, std::int32_t) {},
    .name = [](void* data, wl_output*,
               const char* name) { update(data, [&](Output& o) { o.pending.name = name; }); },
    .description = [](void* data, wl_output*,
                      const char* text) { update(data, [&](Output& o) { o.pending.description = text; }); },
};

const zxdg_output_v1_listener kXdgOutputListener = {
    .logical_position =
        [](void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y) {
            update(data, [&](Output& o) {
                o.pending.bounds.x = x;
                o.pending.bounds.y = y;
                o.logical = true;
            });
        },
    .logical_size =
        [](void* data, zxdg_output_v1*, std::int32_t width, std::int32_t height) {
            update(data, [&](Output& o) {
                o.pending.bounds.width = width;
                o.pending.bounds.height = height;
                o.logical = true;
            });
        },
    // Before version 3 the xdg-output has a done of its own; from 3 on wl_output.done covers both.
    .done = [](void* data, zxdg_output_v1*) { static_cast<Output*>(data)->done(); },
    .name = [](void*, zxdg_output_v1*, const char*) {},
    .description = [](void*, zxdg_output_v1*, const char*) {},
};

} // namespace

WaylandOutputs::WaylandOutputs(std::shared_ptr<WaylandConnection> connection, QObject* parent)
    : QObject(parent), connection_(std::move(connection)) {
    if (const WaylandGlobal* g = connection_->find(zxdg_output_manager_v1_interface.name))
        xdgManager_ = static_cast<zxdg_output_manager_v1*>(wl_registry_bind(
            connection_->registry(), g->name, &zxdg_output_manager_v1_interface, std::min(g->version, 3u)));
    for (const WaylandGlobal& g : connection_->globals())
        add(g);
    connect(connection_.get(), &WaylandConnection::globalAdded, this, &WaylandOutputs::add);
    connect(connection_.get(), &WaylandConnection::globalRemoved, this, &WaylandOutputs::remove);
}

WaylandOutputs::~WaylandOutputs() {
    outputs_.clear();
    if (xdgManager_)
        zxdg_output_manager_v1_destroy(xdgManager_);
    connection_->flush();
}

void WaylandOutputs::add(const WaylandGlobal& global) {
    if (global.interface != wl_output_interface.name)
        return;
    auto o = std::make_unique<Output>();
    o->owner = this;
    o->info.id = o->pending.id = global.name;
    o->output = static_cast<wl_output*>(wl_registry_bind(connection_->registry(), global.name,
                                                         &wl_output_interface, std::min(global.version, 4u)));
    wl_output_add_listener(o->output, &kOutputListener, o.get());
    if (xdgManager_) {
        o->xdg = zxdg_output_manager_v1_get_xdg_output(xdgManager_, o->output);
        zxdg_output_v1_add_listener(o->xdg, &kXdgOutputListener, o.get());
    }
    std::lock_guard lock(mutex_);
    outputs_.push_back(std::move(o));
}

void WaylandOutputs::remove(std::uint32_t name) {
    std::unique_ptr<Output> gone;
    {
        std::lock_guard lock(mutex_);
        const auto it =
            std::find_if(outputs_.begin(), outputs_.end(), [&](const auto& o) { return o->info.id == name; });
        if (it == outputs_.end())
            return;
        gone = std::move(*it);
        outputs_.erase(it);
    }
    const bool announced = gone->announced;
    gone.reset();
    if (!announced)
        return;
    Q_EMIT outputRemoved(name);
    Q_EMIT outputsChanged();
}

void WaylandOutputs::done(Output& o) {
    bool added = false;
    {
        std::lock_guard lock(mutex_);
        if (!o.logical)
            o.pending.bounds = o.mode;
        o.pending.ready = true;
        o.info = o.pending;
        added = !o.announced;
        o.announced = true;
    }
    if (added)
        Q_EMIT outputAdded(o.info.id);
    Q_EMIT outputsChanged();
}

std::vector<WaylandOutputInfo> WaylandOutputs::outputs() const {
    std::lock_guard lock(mutex_);
    std::vector<WaylandOutputInfo> list;
    for (const auto& o : outputs_)
        if (o->info.ready)
            list.push_back(o->info);
    return list;
}

std::optional<WaylandOutputInfo> WaylandOutputs::output(DisplayId id) const {
    std::lock_guard lock(mutex_);
    for (const auto& o : outputs_)
        if (o->info.id == id && o->info.ready)
            return o->info;
    return std::nullopt;
}

wl_output* WaylandOutputs::handle(DisplayId id) const {
    std::lock_guard lock(mutex_);
    for (const auto& o : outputs_)
        if (o->info.id == id)
            return o->output;
    return nullptr;
}

std::optional<DisplayId> WaylandOutputs::idOf(const wl_output* output) const {
    std::lock_guard lock(mutex_);
    for (const auto& o : outputs_)
        if (o->output == output)
            return o->info.id;
    return std::nullopt;
}

std::string WaylandOutputs::displayKey(const WaylandOutputInfo& output, bool shared) {
    QByteArray data =
        "wayland:" + QByteArray::fromStdString(output.make) + '\0' + QByteArray::fromStdString(output.model);
    if (shared || (!says(output.make) && !says(output.model)))
        data += QByteArray("\0connector:", 11) + QByteArray::fromStdString(output.name);
    return QUuid::createUuidV5(kDisplayKeyNamespace, data)
        .toString(QUuid::WithoutBraces)
        .toUpper()
        .toStdString();
}

std::string WaylandOutputs::displayName(const WaylandOutputInfo& output) {
    if (says(output.model))
        return output.model;
    if (!output.name.empty())
        return output.name;
    return output.description;
}

} // namespace tintwell::platform
