#pragma once

#include "scheduling/clock.h"
#include "watchers/lifecycle_observer.h"

#include <memory>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QString>

namespace tintwell::scheduling {

/// What the debug time controls need of their owner: a replaceable clock and an immediate
/// re-evaluation of the schedule that reads it.
class TickTarget {
public:
    virtual ~TickTarget() = default;
    virtual void setClock(std::shared_ptr<Clock> clock) = 0;
    virtual void tick() = 0;
};

enum class DebugTimeAction { None, Jump, ResetClock, SimulateWake, SimulateClockChange, SimulateTZChange };

/// One row of the debug time menu, top to bottom. Disabled rows without an action are section
/// headers.
struct DebugTimeMenuRow {
    bool separator = false;
    QString title;
    DebugTimeAction action = DebugTimeAction::None;
    int tag = 0; ///< seconds, for Jump
    bool enabled = false;
};

/// Freezes and moves the schedule's time and feeds simulated system events to the lifecycle
/// observer, for debugging. Exists only when TINTWELL_DEBUG_TIME is exactly "1"; nothing of it
/// persists across restarts.
class DebugTimeController : public QObject {
    Q_OBJECT
public:
    static inline const QString statusTitle = QStringLiteral("🧪 Time");
    static inline const QString toolTip = QStringLiteral("Tintwell debug — time / wake / TZ simulation");

    /// Reads the environment on every call; true only for TINTWELL_DEBUG_TIME=1 exactly.
    static bool isEnabled();
    /// The menu rows, in order.
    static std::vector<DebugTimeMenuRow> menuRows();

    /// `target` is held weakly; `lifecycle` may be null. `realClock` is where a newly frozen time
    /// starts (the system clock outside tests).
    DebugTimeController(std::weak_ptr<TickTarget> target, watchers::LifecycleObserver* lifecycle,
                        std::shared_ptr<Clock> realClock = std::make_shared<SystemClock>(),
                        QObject* parent = nullptr);

    /// The frozen clock in force; null while the system clock is.
    std::shared_ptr<FakeClock> fakeClock() const { return fakeClock_; }

    /// Runs a menu row's action (nothing for headers and separators).
    void perform(const DebugTimeMenuRow& row);

public Q_SLOTS:
    /// Moves the frozen time by `seconds`, freezing it at the real current time first if needed,
    /// then ticks.
    void jump(int seconds);
    /// Back to the system clock, then ticks.
    void resetClock();
    // These reach the lifecycle observer, which re-evaluates after its usual debounce.
    void simulateWake();
    void simulateClockChange();
    void simulateTZChange();

private:
    std::shared_ptr<FakeClock> ensureFakeClock();

    std::weak_ptr<TickTarget> target_;
    QPointer<watchers::LifecycleObserver> lifecycle_;
    std::shared_ptr<Clock> realClock_;
    std::shared_ptr<FakeClock> fakeClock_;
};

} // namespace tintwell::scheduling
