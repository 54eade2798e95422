#include "platform/linux/screensaver_wake_source.h"

#include "platform/linux/lifecycle_logging.h"

#include <cstdlib>

#include <xcb/screensaver.h>
#include <xcb/xcb.h>

namespace tintwell::platform {

ScreensaverWakeSource::ScreensaverWakeSource(QByteArray display, QObject* parent)
    : LifecycleEventSource(parent), display_(std::move(display)) {}

ScreensaverWakeSource::~ScreensaverWakeSource() {
    stop();
}

QString ScreensaverWakeSource::description() const {
    return QStringLiteral("screens woke");
}

bool ScreensaverWakeSource::start() {
    if (connection_)
        return true;
    int screenNumber = 0;
    connection_ = xcb_connect(display_.isEmpty() ? nullptr : display_.constData(), &screenNumber);
    if (xcb_connection_has_error(connection_))
        return unavailable(QStringLiteral("no X display"));

    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection_, &xcb_screensaver_id);
    if (!extension || !extension->present)
        return unavailable(QStringLiteral("the X server has no MIT-SCREEN-SAVER extension"));
    firstEvent_ = extension->first_event;
    auto* version = xcb_screensaver_query_version_reply(
        connection_,
        xcb_screensaver_query_version(connection_, XCB_SCREENSAVER_MAJOR_VERSION,
                                      XCB_SCREENSAVER_MINOR_VERSION),
        nullptr);
    if (!version)
        return unavailable(QStringLiteral("the MIT-SCREEN-SAVER extension does not answer"));
    std::free(version);

    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    if (!screens.rem)
        return unavailable(QStringLiteral("the X server reports no screen"));
    xcb_generic_error_t* error = xcb_request_check(
        connection_, xcb_screensaver_select_input_checked(connection_, screens.data->root,
                                                          XCB_SCREENSAVER_EVENT_NOTIFY_MASK));
    if (error) {
        std::free(error);
        return unavailable(QStringLiteral("the X server refuses screen-saver events"));
    }

    notifier_ = new QSocketNotifier(xcb_get_file_descriptor(connection_), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &ScreensaverWakeSource::onReadable);
    onReadable(); // events read along with the replies above wait in the queue, not on the socket
    return connection_ != nullptr;
}

void ScreensaverWakeSource::stop() {
    // stop() can run inside the notifier's own signal, so the notifier is only disabled here.
    if (notifier_) {
        notifier_->setEnabled(false);
        notifier_->deleteLater();
        notifier_ = nullptr;
    }
    if (connection_)
        xcb_disconnect(std::exchange(connection_, nullptr));
}

void ScreensaverWakeSource::onReadable() {
    if (!connection_)
        return;
    bool woke = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        if ((event->response_type & 0x7f) == firstEvent_ + XCB_SCREENSAVER_NOTIFY) {
            const auto* notify = reinterpret_cast<const xcb_screensaver_notify_event_t*>(event);
            woke = woke || notify->state == XCB_SCREENSAVER_STATE_OFF;
        }
        std::free(event);
    }
    if (xcb_connection_has_error(connection_)) {
        // The application reports the loss and exits; this only says what it means here.
        qCDebug(lcLifecycleSources) << "Lost the X connection; screens waking go unnoticed";
        stop();
    }
    if (woke)
        Q_EMIT occurred();
}

bool ScreensaverWakeSource::unavailable(const QString& why) {
    if (!std::exchange(unavailableLogged_, true))
        qCWarning(lcLifecycleSources).noquote() << why + QStringLiteral("; screens waking go unnoticed");
    stop();
    return false;
}

} // namespace tintwell::platform
