#include "platform/x11/x11_instance_selection.h"

#include "core/application_id.h"
#include "platform/x11/xcb_reply.h"

#include <cstdlib>
#include <vector>

#include <QSocketNotifier>

#include <xcb/xcb.h>

#include <unistd.h>

namespace tintwell::platform {
namespace {

xcb_atom_t intern(xcb_connection_t* c, const QByteArray& name) {
    XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, std::uint16_t(name.size()), name.constData()), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_NONE};
}

} // namespace

struct X11InstanceSelection::Impl {
    xcb_connection_t* conn = nullptr;
    QString display;
    xcb_window_t window = XCB_NONE;
    std::vector<xcb_atom_t> selections;
    QSocketNotifier* notifier = nullptr;
    bool owned = false;

    ~Impl() {
        if (conn)
            xcb_disconnect(conn);
    }

    /// A server time for the claim (ICCCM forbids CurrentTime): the PropertyNotify of an empty append.
    std::optional<xcb_timestamp_t> serverTime() {
        xcb_change_property(conn, XCB_PROP_MODE_APPEND, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, "");
        xcb_flush(conn);
        while (XcbReply<xcb_generic_event_t> event{xcb_wait_for_event(conn)}) {
            if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY)
                return reinterpret_cast<const xcb_property_notify_event_t*>(event.get())->time;
        }
        return std::nullopt;
    }

    std::optional<pid_t> pidOf(xcb_window_t owner) {
        XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            conn, xcb_get_property(conn, 0, owner, intern(conn, "_NET_WM_PID"), XCB_ATOM_CARDINAL, 0, 1),
            nullptr));
        if (!reply || xcb_get_property_value_length(reply.get()) != 4)
            return std::nullopt;
        const auto pid = *static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
        return pid > 0 ? std::optional(pid_t(pid)) : std::nullopt;
    }
};

QString X11InstanceSelection::selectionName(int screen) {
    return QString("_%1_S%2").arg(QString(core::applicationId).toUpper().replace('.', '_')).arg(screen);
}

X11InstanceSelection::X11InstanceSelection(QObject* parent)
    : InstanceClaim(parent), d(std::make_unique<Impl>()) {
    d->display = qEnvironmentVariable("DISPLAY");
    d->conn = xcb_connect(nullptr, nullptr);
}

X11InstanceSelection::~X11InstanceSelection() = default;

InstanceClaim::Result X11InstanceSelection::tryClaim() {
    if (d->owned)
        return Claimed{};
    if (xcb_connection_has_error(d->conn))
        return Failed{QString("Cannot open the X display %1.").arg(d->display)};
    xcb_connection_t* c = d->conn;
    const xcb_setup_t* setup = xcb_get_setup(c);
    xcb_screen_t* first = xcb_setup_roots_iterator(setup).data;

    d->selections.clear();
    for (int i = 0, n = xcb_setup_roots_length(setup); i < n; ++i)
        d->selections.push_back(intern(c, selectionName(i).toLatin1()));
    const xcb_atom_t manager = intern(c, "MANAGER");

    d->window = xcb_generate_id(c);
    const std::uint32_t values[] = {1, XCB_EVENT_MASK_PROPERTY_CHANGE};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, d->window, first->root, -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                      XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    const std::uint32_t pid = std::uint32_t(::getpid());
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, d->window, intern(c, "_NET_WM_PID"), XCB_ATOM_CARDINAL, 32,
                        1, &pid);
    const auto time = d->serverTime();
    if (!time)
        return Failed{QString("Lost the X display %1 while starting.").arg(d->display)};

    // Under a grab no other client can claim a selection between our look and our claim.
    xcb_grab_server(c);
    std::optional<xcb_window_t> holder;
    for (const xcb_atom_t selection : d->selections) {
        XcbReply<xcb_get_selection_owner_reply_t> owner(
            xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, selection), nullptr));
        if (owner && owner->owner != XCB_NONE) {
            holder = owner->owner;
            break;
        }
    }
    if (!holder)
        for (const xcb_atom_t selection : d->selections)
            xcb_set_selection_owner(c, d->window, selection, *time);
    xcb_ungrab_server(c);
    xcb_flush(c);
    if (holder) {
        const auto running = d->pidOf(*holder);
        xcb_destroy_window(c, d->window);
        xcb_flush(c);
        return AlreadyRunning{running};
    }

    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    for (std::size_t i = 0; i < d->selections.size() && screens.rem; ++i, xcb_screen_next(&screens)) {
        XcbReply<xcb_get_selection_owner_reply_t> owner(
            xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, d->selections[i]), nullptr));
        if (!owner || owner->owner != d->window)
            return Failed{
                QString("Cannot claim %1 on the X display %2.").arg(selectionName(int(i)), d->display)};
        // ICCCM: announce the new manager to whoever waits for one.
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = screens.data->root;
        event.type = manager;
        event.data.data32[0] = *time;
        event.data.data32[1] = d->selections[i];
        event.data.data32[2] = d->window;
        xcb_send_event(c, 0, screens.data->root, XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
    }
    xcb_flush(c);
    d->owned = true;
    d->notifier = new QSocketNotifier(xcb_get_file_descriptor(c), QSocketNotifier::Read, this);
    connect(d->notifier, &QSocketNotifier::activated, this, &X11InstanceSelection::readEvents);
    // Events read along with the replies above are already in xcb's queue.
    QMetaObject::invokeMethod(this, &X11InstanceSelection::readEvents, Qt::QueuedConnection);
    return Claimed{};
}

void X11InstanceSelection::readEvents() {
    bool lost = false;
    while (XcbReply<xcb_generic_event_t> event{xcb_poll_for_event(d->conn)}) {
        if ((event->response_type & 0x7f) == XCB_SELECTION_CLEAR)
            lost = true;
    }
    if (xcb_connection_has_error(d->conn)) {
        d->notifier->setEnabled(false);
        Q_EMIT displayConnectionLost();
    } else if (lost) {
        Q_EMIT takenOver();
    }
}

} // namespace tintwell::platform
