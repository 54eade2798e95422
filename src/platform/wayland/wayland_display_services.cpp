#include "platform/wayland/wayland_display_services.h"

#include "platform/gamma_ramp.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <QLoggingCategory>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <wlr-gamma-control-unstable-v1-client-protocol.h>

namespace tintwell::platform {
namespace {

Q_LOGGING_CATEGORY(lcDisplays, "tintwell.displays", QtInfoMsg)

/// The three ramps one after the other in a sealed memory file, as set_gamma takes them. The data
/// is placed with pwrite so the file offset the compositor reads from stays at 0. -1 on failure.
int sealedTable(const HardwareRamps& ramps) {
    const int fd = memfd_create("tintwell-gamma", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (fd < 0)
        return -1;
    const std::size_t channel = ramps.r.size() * sizeof(std::uint16_t);
    std::vector<std::uint16_t> all;
    all.reserve(ramps.r.size() * 3);
    for (const HardwareRamp* ramp : {&ramps.r, &ramps.g, &ramps.b})
        all.insert(all.end(), ramp->begin(), ramp->end());
    const auto* bytes = reinterpret_cast<const char*>(all.data());
    std::size_t done = 0;
    while (done < channel * 3) {
        const ssize_t n = pwrite(fd, bytes + done, channel * 3 - done, off_t(done));
        if (n <= 0) {
            close(fd);
            return -1;
        }
        done += std::size_t(n);
    }
    // Sealed, the compositor can map or read it without fearing that it changes under it.
    fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL);
    return fd;
}

} // namespace

struct WaylandDisplayServices::Control {
    WaylandDisplayServices* owner = nullptr;
    DisplayId id = 0;
    zwlr_gamma_control_v1* handle = nullptr; // made and destroyed on the main thread
    int size = 0;                            // the last size the compositor announced; kept across releases
    bool live = false;                       // the size arrived for the current handle
    bool failed = false;    // refused: not asked again until the output comes back or a release
    bool requested = false; // an acquire is on its way to the main thread
    bool reported = false;  // the refusal was told since the last success
    std::optional<core::TransferTables> pending; // written when the size arrives
    std::optional<core::TransferTables> shown;   // last written while live

    void destroyHandle() {
        if (handle)
            zwlr_gamma_control_v1_destroy(handle);
        handle = nullptr;
        live = false;
        shown.reset();
    }
};

/// Hands the compositor's events about a control to its owner, on the main thread.
struct GammaControlListener {
    static void gammaSize(void* data, zwlr_gamma_control_v1*, std::uint32_t size) {
        auto* c = static_cast<WaylandDisplayServices::Control*>(data);
        c->owner->onGammaSize(*c, size);
    }
    static void failed(void* data, zwlr_gamma_control_v1*) {
        auto* c = static_cast<WaylandDisplayServices::Control*>(data);
        c->owner->onFailed(*c);
    }
    static constexpr zwlr_gamma_control_v1_listener kListener = {.gamma_size = gammaSize, .failed = failed};
};

std::unique_ptr<WaylandDisplayServices>
WaylandDisplayServices::create(std::shared_ptr<WaylandConnection> connection,
                               std::shared_ptr<WaylandOutputs> outputs, QString* error) {
    QString ignored;
    if (!error)
        error = &ignored;
    const WaylandGlobal* g = connection->find(zwlr_gamma_control_manager_v1_interface.name);
    if (!g) {
        *error = QString("The Wayland compositor on %1 offers no gamma control "
                         "(wlr-gamma-control-unstable-v1), so Tintwell cannot tint its displays.")
                     .arg(connection->name());
        return nullptr;
    }
    auto* manager = static_cast<zwlr_gamma_control_manager_v1*>(
        wl_registry_bind(connection->registry(), g->name, &zwlr_gamma_control_manager_v1_interface, 1));
    std::unique_ptr<WaylandDisplayServices> services(
        new WaylandDisplayServices(connection, std::move(outputs), manager));
    // The outputs' properties first, then the gamma sizes of those that are ready.
    connection->roundtrip();
    for (const auto& o : services->outputs_->outputs())
        services->acquire(o.id);
    connection->roundtrip();
    return services;
}

WaylandDisplayServices::WaylandDisplayServices(std::shared_ptr<WaylandConnection> connection,
                                               std::shared_ptr<WaylandOutputs> outputs,
                                               zwlr_gamma_control_manager_v1* manager)
    : connection_(std::move(connection)), outputs_(std::move(outputs)), manager_(manager) {
    // A new output is asked for its control at once: its gamma size is part of its description,
    // and the answer tells whether it can be tinted at all.
    connect(outputs_.get(), &WaylandOutputs::outputAdded, this, &WaylandDisplayServices::acquire);
    connect(outputs_.get(), &WaylandOutputs::outputRemoved, this, [this](DisplayId id) {
        std::lock_guard lock(mutex_);
        if (const auto it = controls_.find(id); it != controls_.end()) {
            it->second->destroyHandle();
            controls_.erase(it);
        }
        reported_.erase(id);
    });
    connect(outputs_.get(), &WaylandOutputs::outputsChanged, this,
            &WaylandDisplayServices::displaysReconfigured);
}

WaylandDisplayServices::~WaylandDisplayServices() {
    std::lock_guard lock(mutex_);
    for (auto& [id, c] : controls_)
        c->destroyHandle();
    controls_.clear();
    zwlr_gamma_control_manager_v1_destroy(manager_);
    connection_->flush();
}

void WaylandDisplayServices::acquire(DisplayId id) {
    {
        std::lock_guard lock(mutex_);
        auto& c = controls_[id];
        if (!c) {
            c = std::make_unique<Control>();
            c->owner = this;
            c->id = id;
        }
        c->requested = false;
        wl_output* output = outputs_->handle(id);
        if (c->handle || c->failed || !output)
            return;
        c->handle = zwlr_gamma_control_manager_v1_get_gamma_control(manager_, output);
        zwlr_gamma_control_v1_add_listener(c->handle, &GammaControlListener::kListener, c.get());
    }
    connection_->flush();
}

void WaylandDisplayServices::onGammaSize(Control& c, std::uint32_t size) {
    bool changed = false;
    {
        std::lock_guard lock(mutex_);
        changed = c.size != int(size);
        c.size = int(size);
        c.live = size > 0;
        c.reported = false;
        if (c.live && c.pending) {
            writeLocked(c, *c.pending);
            c.pending.reset();
        }
    }
    if (changed)
        Q_EMIT displaysReconfigured();
}

void WaylandDisplayServices::onFailed(Control& c) {
    const auto output = outputs_->output(c.id);
    std::lock_guard lock(mutex_);
    const bool hadControl = c.live;
    c.destroyHandle();
    c.failed = true;
    c.pending.reset();
    if (c.reported)
        return;
    c.reported = true;
    const QString name =
        output ? QString::fromStdString(output->name.empty() ? WaylandOutputs::displayName(*output)
                                                             : output->name)
               : QString::number(c.id);
    const QString description = output && !output->description.empty()
                                    ? QString(" (%1)").arg(QString::fromStdString(output->description))
                                    : QString();
    if (hadControl)
        qCWarning(lcDisplays).noquote()
            << QString("Output %1%2 lost its tint: the compositor took its gamma control away (another "
                       "program took it over, or the table could not be set); tried again when the output "
                       "comes back.")
                   .arg(name, description);
    else
        qCWarning(lcDisplays).noquote()
            << QString("Output %1%2 cannot be tinted: the compositor refused its gamma control (the output "
                       "has no gamma tables, as virtual and headless outputs do, or another program such "
                       "as a night-light tool holds it); tried again when the output comes back.")
                   .arg(name, description);
}

void WaylandDisplayServices::writeLocked(Control& c, const core::TransferTables& tables) {
    const int fd = sealedTable(toHardwareRamps(tables, c.size));
    if (fd < 0) {
        reportOnce(c.id,
                   QString("Cannot make the gamma table of output %1: %2").arg(c.id).arg(strerror(errno)));
        return;
    }
    zwlr_gamma_control_v1_set_gamma(c.handle, fd);
    close(fd);
    c.shown = tables;
    connection_->flush();
}

void WaylandDisplayServices::reportOnce(DisplayId id, const QString& message) {
    if (reported_.insert(id).second)
        qCWarning(lcDisplays).noquote() << message;
}

std::vector<DisplayId> WaylandDisplayServices::onlineDisplays() {
    std::vector<DisplayId> ids;
    for (const auto& o : outputs_->outputs())
        ids.push_back(o.id);
    return ids;
}

std::optional<DisplayDescription> WaylandDisplayServices::describe(DisplayId id) {
    const auto all = outputs_->outputs();
    const auto it =
        std::find_if(all.begin(), all.end(), [&](const WaylandOutputInfo& o) { return o.id == id; });
    if (it == all.end())
        return std::nullopt;
    const bool shared = std::count_if(all.begin(), all.end(), [&](const WaylandOutputInfo& o) {
                            return o.make == it->make && o.model == it->model;
                        }) > 1;
    DisplayDescription d;
    d.id = id;
    d.name = WaylandOutputs::displayName(*it);
    d.bounds = it->bounds;
    // Wayland has no primary output; the first one plays that part, as on X without a primary.
    d.isMain = it == all.begin();
    d.key = WaylandOutputs::displayKey(*it, shared);
    std::lock_guard lock(mutex_);
    if (const auto c = controls_.find(id); c != controls_.end() && !(c->second->failed && !c->second->live))
        d.gammaSize = c->second->size;
    return d;
}

void WaylandDisplayServices::setTransferTables(DisplayId id, const core::TransferTables& tables) {
    std::lock_guard lock(mutex_);
    const auto it = controls_.find(id);
    if (it == controls_.end()) {
        reportOnce(id, QString("Display %1 is not online; its transfer tables are not written.").arg(id));
        return;
    }
    Control& c = *it->second;
    if (c.failed)
        return; // told when the compositor refused
    if (c.live) {
        writeLocked(c, tables);
        return;
    }
    c.pending = tables;
    if (!c.handle && !c.requested) {
        c.requested = true;
        QMetaObject::invokeMethod(
            this,
            [this, id] {
                {
                    // A release since then (pause) leaves nothing to write.
                    std::lock_guard lock(mutex_);
                    const auto it = controls_.find(id);
                    if (it == controls_.end() || !it->second->pending)
                        return;
                }
                acquire(id);
            },
            Qt::QueuedConnection);
    }
}

std::optional<core::TransferTables> WaylandDisplayServices::readTransferTables(DisplayId id) {
    std::lock_guard lock(mutex_);
    const auto it = controls_.find(id);
    if (it == controls_.end() || !it->second->live || !it->second->shown)
        return std::nullopt;
    const Control& c = *it->second;
    return fromHardwareRamps(toHardwareRamps(*c.shown, c.size));
}

void WaylandDisplayServices::restoreSystemCalibration() {
    {
        std::lock_guard lock(mutex_);
        // The compositor puts the output's own ramp back as each control goes; a refused output is
        // asked again at the next write, in case whoever held it has let go.
        for (auto& [id, c] : controls_) {
            c->destroyHandle();
            c->pending.reset();
            c->requested = false;
            c->failed = false;
        }
    }
    connection_->flush();
}

} // namespace tintwell::platform
