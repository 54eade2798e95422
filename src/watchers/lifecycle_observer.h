#pragma once

#include "core/instant.h"
#include "platform/display_services.h"
#include "platform/lifecycle_event_source.h"

#include <functional>
#include <memory>
#include <vector>

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QTimer>

namespace tintwell::watchers {

/// Collapses bursts of system events (resume, screens waking, display reconfiguration, clock set,
/// time-zone change) into one run of a handler given by the owner.
///
/// The handler runs `debounce` after the last event of a burst in which no two events are
/// further apart than that; on the monotonic clock, so setting the wall clock does not move it.
/// With `debounce` ≤ 0 every event runs the handler at once. Events count only between
/// `start()` and `stop()`.
class LifecycleObserver : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void()>;
    static constexpr Seconds defaultDebounce{0.75};

    /// `displays` may be null (no display reconfiguration events then). Takes the sources.
    LifecycleObserver(Handler handler, platform::DisplayServices* displays,
                      std::vector<std::unique_ptr<platform::LifecycleEventSource>> sources,
                      Seconds debounce = defaultDebounce, QObject* parent = nullptr);
    ~LifecycleObserver() override;

    /// Starts every source; one that cannot run is skipped (it logs why). Does nothing if started.
    void start();
    /// Stops every source and drops a pending handler run.
    void stop();

    /// A handler run is scheduled and has not happened yet.
    bool isPending() const { return timer_.isActive(); }

public Q_SLOTS:
    // The debug time controls feed these; they reach this observer only, never another process.
    void simulateWake();
    void simulateClockChange();
    void simulateTimeZoneChange();

private:
    void onEvent(const QString& what);
    void schedule();

    Handler handler_;
    QPointer<platform::DisplayServices> displays_;
    std::vector<std::unique_ptr<platform::LifecycleEventSource>> sources_;
    Seconds debounce_;
    QTimer timer_;
    std::vector<QMetaObject::Connection> connections_;
    bool started_ = false;
};

} // namespace tintwell::watchers
