#include "platform/linux/clock_set_source.h"

#include "platform/linux/lifecycle_logging.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#include <sys/timerfd.h>
#include <unistd.h>

namespace tintwell::platform {

ClockSetSource::ClockSetSource(QObject* parent) : LifecycleEventSource(parent) {}

ClockSetSource::~ClockSetSource() {
    stop();
}

QString ClockSetSource::description() const {
    return QStringLiteral("system clock set");
}

bool ClockSetSource::start() {
    if (fd_ >= 0)
        return true;
    fd_ = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ < 0) {
        fail("timerfd_create", errno);
        return false;
    }
    if (!arm())
        return false;
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &ClockSetSource::onReadable);
    return true;
}

void ClockSetSource::stop() {
    // stop() can run inside the notifier's own signal, so the notifier is only disabled here.
    if (notifier_) {
        notifier_->setEnabled(false);
        notifier_->deleteLater();
        notifier_ = nullptr;
    }
    if (fd_ >= 0)
        ::close(std::exchange(fd_, -1));
}

// The timer itself never expires (it stays disarmed); only its cancel-on-set registration
// matters. A cancelled timer counts as no longer armed, so it is armed again after each
// cancellation rather than relying on the kernel to keep reporting.
bool ClockSetSource::arm() {
    const itimerspec disarmed{};
    if (::timerfd_settime(fd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &disarmed, nullptr) != 0) {
        fail("timerfd_settime", errno);
        return false;
    }
    return true;
}

void ClockSetSource::onReadable() {
    bool clockSet = false;
    for (;;) {
        std::uint64_t expirations = 0;
        const ssize_t n = ::read(fd_, &expirations, sizeof expirations);
        if (n == static_cast<ssize_t>(sizeof expirations))
            continue;
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == ECANCELED) {
            clockSet = true;
            if (!arm())
                return;
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            fail("read", errno);
            return;
        }
        break;
    }
    if (clockSet)
        Q_EMIT occurred();
}

void ClockSetSource::fail(const char* what, int error) {
    if (!std::exchange(unavailableLogged_, true))
        qCWarning(lcLifecycleSources).noquote()
            << QStringLiteral("%1 failed (%2); a set system clock goes unnoticed")
                   .arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(error)));
    stop();
}

} // namespace tintwell::platform
