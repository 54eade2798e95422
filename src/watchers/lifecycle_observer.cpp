#include "watchers/lifecycle_observer.h"

#include <algorithm>
#include <cmath>

#include <QLoggingCategory>

namespace tintwell::watchers {

using namespace std::chrono_literals;

namespace {

Q_LOGGING_CATEGORY(lcLifecycle, "tintwell.lifecycle", QtInfoMsg)

} // namespace

LifecycleObserver::LifecycleObserver(Handler handler, platform::DisplayServices* displays,
                                     std::vector<std::unique_ptr<platform::LifecycleEventSource>> sources,
                                     Seconds debounce, QObject* parent)
    : QObject(parent), handler_(std::move(handler)), displays_(displays), sources_(std::move(sources)),
      debounce_(debounce) {
    timer_.setSingleShot(true);
    // A coarse timer may fire up to 5 % early, which would split a burst that ends just in time.
    timer_.setTimerType(Qt::PreciseTimer);
    if (debounce_ > Seconds::zero())
        timer_.setInterval(std::max(1ms, std::chrono::round<std::chrono::milliseconds>(debounce_)));
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (handler_)
            handler_();
    });
}

LifecycleObserver::~LifecycleObserver() {
    stop();
}

void LifecycleObserver::start() {
    if (started_)
        return;
    started_ = true;
    for (const auto& source : sources_) {
        const QString what = source->description();
        connections_.push_back(connect(source.get(), &platform::LifecycleEventSource::occurred, this,
                                       [this, what] { onEvent(what); }));
        if (source->start())
            qCDebug(lcLifecycle).noquote() << "watching:" << what;
    }
    if (displays_)
        connections_.push_back(connect(displays_, &platform::DisplayServices::displaysReconfigured, this,
                                       [this] { onEvent(QStringLiteral("displays reconfigured")); }));
}

void LifecycleObserver::stop() {
    if (!started_)
        return;
    started_ = false;
    for (const auto& connection : connections_)
        disconnect(connection);
    connections_.clear();
    for (const auto& source : sources_)
        source->stop();
    timer_.stop();
}

void LifecycleObserver::simulateWake() {
    onEvent(QStringLiteral("resume from sleep (simulated)"));
}

void LifecycleObserver::simulateClockChange() {
    onEvent(QStringLiteral("system clock set (simulated)"));
}

void LifecycleObserver::simulateTimeZoneChange() {
    onEvent(QStringLiteral("time zone changed (simulated)"));
}

void LifecycleObserver::onEvent(const QString& what) {
    // A display signal queued before stop() can still arrive after it.
    if (!started_)
        return;
    qCDebug(lcLifecycle).noquote() << "event:" << what;
    schedule();
}

void LifecycleObserver::schedule() {
    if (!(debounce_ > Seconds::zero())) {
        timer_.stop();
        if (handler_)
            handler_();
        return;
    }
    timer_.start();
}

} // namespace tintwell::watchers
