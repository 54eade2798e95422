#include "platform/wayland/wayland_connection.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <QAbstractEventDispatcher>
#include <QLoggingCategory>
#include <QSocketNotifier>
#include <QThread>

#include <wayland-client.h>

namespace tintwell::platform {
namespace {

Q_LOGGING_CATEGORY(lcWayland, "tintwell.wayland", QtInfoMsg)

const wl_registry_listener kRegistryListener = {
    .global =
        [](void* data, wl_registry*, std::uint32_t name, const char* interface, std::uint32_t version) {
            Q_EMIT static_cast<WaylandConnection*>(data)->globalAdded(
                WaylandGlobal{name, interface, version});
        },
    .global_remove =
        [](void* data, wl_registry*, std::uint32_t name) {
            Q_EMIT static_cast<WaylandConnection*>(data)->globalRemoved(name);
        }};

} // namespace

bool waylandCompositorOffers(const char* interface) {
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return false;
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return false;
    struct Search {
        const char* interface;
        bool found = false;
    } search{interface};
    static const wl_registry_listener listener = {
        .global =
            [](void* data, wl_registry*, std::uint32_t, const char* name, std::uint32_t) {
                auto* s = static_cast<Search*>(data);
                s->found |= std::strcmp(name, s->interface) == 0;
            },
        .global_remove = [](void*, wl_registry*, std::uint32_t) {}};
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, &search);
    wl_display_roundtrip(display);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return search.found;
}

std::shared_ptr<WaylandConnection> WaylandConnection::open(QString* error) {
    QString ignored;
    if (!error)
        error = &ignored;
    const QString socket = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (socket.isEmpty()) {
        *error = "No Wayland display: WAYLAND_DISPLAY is not set.";
        return nullptr;
    }
    std::shared_ptr<WaylandConnection> c(new WaylandConnection);
    c->name_ = socket;
    c->display_ = wl_display_connect(nullptr);
    if (!c->display_) {
        *error = QString("Cannot connect to the Wayland display %1.").arg(socket);
        return nullptr;
    }
    // The registry's own bookkeeping runs first, so listeners see a global in globals() already.
    connect(c.get(), &WaylandConnection::globalAdded, c.get(),
            [self = c.get()](const WaylandGlobal& g) { self->globals_.push_back(g); });
    connect(c.get(), &WaylandConnection::globalRemoved, c.get(), [self = c.get()](std::uint32_t name) {
        std::erase_if(self->globals_, [&](const WaylandGlobal& g) { return g.name == name; });
    });
    c->registry_ = wl_display_get_registry(c->display_);
    wl_registry_add_listener(c->registry_, &kRegistryListener, c.get());
    if (!c->roundtrip()) {
        *error = QString("The Wayland display %1 closed the connection.").arg(socket);
        return nullptr;
    }
    c->notifier_ = new QSocketNotifier(wl_display_get_fd(c->display_), QSocketNotifier::Read, c.get());
    connect(c->notifier_, &QSocketNotifier::activated, c.get(), &WaylandConnection::readEvents);
    // Requests made while handling other events must leave before the loop sleeps, and events
    // another read queued must be handled: the same hook Qt's own Wayland platform uses.
    if (auto* dispatcher = QAbstractEventDispatcher::instance(QThread::currentThread()))
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, c.get(), [self = c.get()] {
            if (self->lost_)
                return;
            wl_display_dispatch_pending(self->display_);
            self->flush();
            self->checkError();
        });
    return c;
}

WaylandConnection::~WaylandConnection() {
    if (registry_)
        wl_registry_destroy(registry_);
    if (display_) {
        wl_display_flush(display_);
        wl_display_disconnect(display_);
    }
}

const WaylandGlobal* WaylandConnection::find(const std::string& interface) const {
    const auto it = std::find_if(globals_.begin(), globals_.end(),
                                 [&](const WaylandGlobal& g) { return g.interface == interface; });
    return it == globals_.end() ? nullptr : &*it;
}

bool WaylandConnection::roundtrip() {
    if (lost_ || wl_display_roundtrip(display_) < 0) {
        checkError();
        return false;
    }
    return true;
}

void WaylandConnection::flush() {
    // EAGAIN leaves the rest queued for the next flush before the loop sleeps; a broken connection
    // is noticed by the main thread, whose socket notifier then reads the end of it.
    wl_display_flush(display_);
}

void WaylandConnection::readEvents() {
    if (lost_)
        return;
    while (wl_display_prepare_read(display_) != 0)
        wl_display_dispatch_pending(display_);
    if (wl_display_read_events(display_) < 0 && errno != EAGAIN) {
        checkError();
        return;
    }
    wl_display_dispatch_pending(display_);
    flush();
    checkError();
}

void WaylandConnection::checkError() {
    if (lost_ || wl_display_get_error(display_) == 0)
        return;
    lost_ = true;
    if (notifier_)
        notifier_->setEnabled(false);
    qCWarning(lcWayland).noquote() << "Lost the connection to the Wayland display" << name_;
    Q_EMIT connectionLost();
}

} // namespace tintwell::platform
