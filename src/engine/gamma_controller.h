#pragma once

#include "core/instant.h"
#include "core/value_records.h"
#include "platform/display_services.h"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <unordered_map>
#include <vector>

#include <QObject>

class QTimer;

namespace tintwell::engine {

/// The only writer of the displays' transfer tables. Takes one decision per display: small changes
/// are written at once, Kelvin changes above the threshold are ramped at 30 frames a second, native
/// colour is the identity table. Repeated identical decisions cost nothing.
///
/// All public methods are called on the main thread; ramp frames are written on the global thread
/// pool. Writes to one display land in the order they were issued: a frame still queued when a
/// later write is issued is dropped, so a ramp never leaves an intermediate colour on screen.
class GammaController : public QObject {
    Q_OBJECT
public:
    using DisplayId = core::DisplayId;
    using Target = core::Target;
    using Decision = core::Decision;
    using TimePoint = std::chrono::steady_clock::time_point;

    /// Interval between ramp frames.
    static constexpr std::chrono::milliseconds kFrameInterval{33};
    /// The shortest ramp; shorter, non-finite or negative durations are raised to it.
    static constexpr Seconds kMinimumRamp{0.05};
    /// How often the displays are read back for a ramp another program reset. The timer is coarse
    /// (it may fire 5 % late), so a lost tint is back within 5 s. Each check wakes the process
    /// twice (the timer, then the one reply for all displays): about 1,500 wake-ups an hour. Any
    /// other read-back (a tick, a focus change) moves the next periodic one a full interval on.
    static constexpr std::chrono::milliseconds kDriftCheckInterval{4750};
    /// A program giving the screen back (a game quitting, a recorder stopping) may reset the ramps a
    /// moment after its window goes; checkDriftNow() looks once more after this.
    static constexpr std::chrono::milliseconds kDriftRecheckDelay{300};

    explicit GammaController(platform::DisplayServices& displays, QObject* parent = nullptr);
    ~GammaController() override;

    /// Replaces the clock that measures ramp progress (steady clock by default).
    void setTimeSource(std::function<TimePoint()> now);

    /// Makes each display show its decision. `smoothThresholdK`: the largest Kelvin change written
    /// at once; `smoothDuration`: ramp length. Displays not in `decisions` are left
    /// as they are, ramps included.
    void apply(const std::unordered_map<DisplayId, Decision>& decisions, double smoothThresholdK,
               Seconds smoothDuration);
    /// Ends every ramp at its final target and writes every display's last decision again.
    void reapply();
    /// Cancels every ramp, forgets every decision and returns every display to the system calibration;
    /// no write issued before lands after it.
    void restoreSystem();

    /// Reads back each of `displays` that holds a decision and has no write on its way; where the
    /// display no longer shows that decision (another program reset its ramp), writes the decision
    /// again. Returns the displays written. One read request per display, and one more per repair.
    std::vector<DisplayId> repairDrift(const std::vector<DisplayId>& displays);
    /// repairDrift() on the displays of the last apply(): since equal decisions are not written
    /// again, a ramp another program reset would otherwise stay lost until the decision changes.
    std::vector<DisplayId> repairAppliedDrift();
    /// Replaces kDriftCheckInterval: how often the displays of the last apply() are read back while
    /// any holds a decision. Zero: only on request.
    void setDriftCheckInterval(std::chrono::milliseconds interval);
    /// Repairs the displays of the last apply() now and again after kDriftRecheckDelay: call it when
    /// another program may just have given the screen back (frontmost application changed, a
    /// window closed).
    void checkDriftNow();

    /// Whether a ramp is in flight for the display.
    bool isRamping(DisplayId id) const;

private:
    struct RampState {
        Target fromTarget;
        Target toTarget;
        TimePoint startTime;
        Seconds duration{};
        QTimer* timer = nullptr;
    };
    class Writer;

    void cancelRamp(DisplayId id);
    void cancelAllRampsLocked();
    void startRamp(DisplayId id, const Target& from, const Target& to, Seconds duration);
    void advanceRamp(DisplayId id, QTimer* currentTimer);
    /// Writes `decision` on this thread, after every write issued before it.
    void write(DisplayId id, const Decision& decision);
    void updateDriftTimer();
    /// The tables `decision` shows on the display, built once per decision rather than per check.
    const core::TransferTables& expectedTables(DisplayId id, const Decision& decision);

    platform::DisplayServices& displays_;
    std::shared_ptr<Writer> writer_;
    std::function<TimePoint()> now_;

    mutable std::mutex lock_; // guards lastDecision_ and ramps_
    std::unordered_map<DisplayId, Decision> lastDecision_;
    std::unordered_map<DisplayId, RampState> ramps_;

    // Main thread only.
    std::vector<DisplayId> applied_; // the displays of the last apply()
    std::set<DisplayId> refusing_;   // repaired, yet still not showing the decision: said once
    std::unordered_map<DisplayId, std::pair<Decision, core::TransferTables>> expected_;
    QTimer* driftTimer_;
    QTimer* driftRecheck_;
};

} // namespace tintwell::engine
