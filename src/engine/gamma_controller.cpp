#include "engine/gamma_controller.h"

#include <atomic>
#include <cmath>
#include <map>

#include <QLoggingCategory>
#include <QThreadPool>
#include <QTimer>

namespace tintwell::engine {
namespace {

Q_LOGGING_CATEGORY(lcEngine, "tintwell.engine")

/// The tables that show `decision`: the identity for native colour.
core::TransferTables tablesFor(const core::Decision& decision) {
    if (const auto* target = std::get_if<core::Target>(&decision))
        return core::ColorTemperature::gammaRamp(target->kelvin, target->brightness, target->gamma);
    const core::TransferTable t = core::ColorTemperature::identityTable();
    return {t, t, t};
}

double lerp(double from, double to, double s) {
    return from + s * (to - from);
}

} // namespace

/// Puts tables on the displays in issue order. Shared with the pool's work items, which may outlive
/// the controller: every write carries its display's sequence number and lands only if no later
/// write has been issued for that display, checked under the display's write mutex, so a stale
/// frame can neither overtake nor follow a newer write.
class GammaController::Writer {
public:
    explicit Writer(platform::DisplayServices& displays) : displays_(&displays) {}

    struct Channel {
        std::mutex mutex;
        std::atomic<std::uint64_t> issued{0};
        std::atomic<std::uint64_t> settled{0}; // the latest sequence number that landed or was dropped
    };

    /// Whether a write issued for the display has not landed or been dropped yet.
    bool pending(DisplayId id) {
        std::lock_guard lock(channelsMutex_);
        const auto it = channels_.find(id);
        return it != channels_.end() && it->second->settled.load() != it->second->issued.load();
    }

    /// Reserves the next place in the display's order.
    std::pair<Channel*, std::uint64_t> issue(DisplayId id) {
        std::lock_guard lock(channelsMutex_);
        auto& channel = channels_[id];
        if (!channel)
            channel = std::make_unique<Channel>();
        return {channel.get(), ++channel->issued};
    }

    /// Writes `decision` unless a later write was issued meanwhile.
    void land(DisplayId id, Channel& channel, std::uint64_t seq, const Decision& decision) {
        const auto settle = [&] {
            for (std::uint64_t s = channel.settled.load();
                 s < seq && !channel.settled.compare_exchange_weak(s, seq);)
                ;
        };
        if (channel.issued.load() != seq)
            return settle();
        const core::TransferTables tables = tablesFor(decision);
        std::lock_guard lock(channel.mutex);
        if (channel.issued.load() == seq)
            displays_->setTransferTables(id, tables);
        settle();
    }

    /// Supersedes every write issued so far, waits for the ones landing now, then runs `then` while
    /// no write can land.
    void supersedeAll(const std::function<void()>& then) {
        std::lock_guard lock(channelsMutex_);
        std::vector<std::unique_lock<std::mutex>> held;
        for (auto& [id, channel] : channels_) {
            held.emplace_back(channel->mutex);
            channel->settled = ++channel->issued; // nothing issued before can land any more
        }
        if (then)
            then();
    }

private:
    platform::DisplayServices* displays_;
    std::mutex channelsMutex_;
    std::map<DisplayId, std::unique_ptr<Channel>> channels_; // ordered: a fixed locking order
};

GammaController::GammaController(platform::DisplayServices& displays, QObject* parent)
    : QObject(parent), displays_(displays), writer_(std::make_shared<Writer>(displays)),
      now_([] { return std::chrono::steady_clock::now(); }), driftTimer_(new QTimer(this)),
      driftRecheck_(new QTimer(this)) {
    driftTimer_->setTimerType(Qt::CoarseTimer);
    // Where nobody else can touch the tables, a periodic read-back only wakes the process.
    driftTimer_->setInterval(displays.othersMayChangeTables() ? kDriftCheckInterval
                                                              : std::chrono::milliseconds(0));
    connect(driftTimer_, &QTimer::timeout, this, &GammaController::repairAppliedDrift);
    driftRecheck_->setSingleShot(true);
    driftRecheck_->setInterval(kDriftRecheckDelay);
    connect(driftRecheck_, &QTimer::timeout, this, &GammaController::repairAppliedDrift);
}

GammaController::~GammaController() {
    // Queued frames hold the writer, not the controller; superseding them keeps them off the
    // displays, which may go away with the controller.
    writer_->supersedeAll(nullptr);
}

void GammaController::setTimeSource(std::function<TimePoint()> now) {
    now_ = std::move(now);
}

void GammaController::apply(const std::unordered_map<DisplayId, Decision>& decisions, double smoothThresholdK,
                            Seconds smoothDuration) {
    // A non-finite duration would make a ramp that never ends.
    const Seconds d = std::isfinite(smoothDuration.count()) && smoothDuration > kMinimumRamp ? smoothDuration
                                                                                             : kMinimumRamp;
    for (const auto& [id, decision] : decisions) {
        std::optional<Decision> prev;
        {
            std::lock_guard lock(lock_);
            if (const auto it = lastDecision_.find(id); it != lastDecision_.end())
                prev = it->second;
        }
        if (prev && *prev == decision)
            continue;
        cancelRamp(id);
        const Target* target = std::get_if<Target>(&decision);
        const Target* prevTarget = prev ? std::get_if<Target>(&*prev) : nullptr;
        const double dk = target && prevTarget ? std::abs(target->kelvin - prevTarget->kelvin) : 0.0;
        // Only a finite change can be ramped through; anything else is written at once (the table
        // builder turns non-finite values into neutral ones).
        if (target && prevTarget && std::isfinite(dk) && dk > smoothThresholdK)
            startRamp(id, *prevTarget, *target, d);
        else
            write(id, decision);
        std::lock_guard lock(lock_);
        lastDecision_[id] = decision;
    }
    applied_.clear();
    for (const auto& [id, decision] : decisions)
        applied_.push_back(id);
    updateDriftTimer();
}

void GammaController::reapply() {
    std::unordered_map<DisplayId, Decision> decisions;
    {
        std::lock_guard lock(lock_);
        decisions = lastDecision_;
        cancelAllRampsLocked();
    }
    for (const auto& [id, decision] : decisions)
        write(id, decision);
}

void GammaController::restoreSystem() {
    {
        std::lock_guard lock(lock_);
        cancelAllRampsLocked();
        lastDecision_.clear();
    }
    applied_.clear();
    refusing_.clear();
    expected_.clear();
    updateDriftTimer();
    writer_->supersedeAll([this] { displays_.restoreSystemCalibration(); });
}

void GammaController::setDriftCheckInterval(std::chrono::milliseconds interval) {
    driftTimer_->setInterval(interval);
    updateDriftTimer();
}

void GammaController::checkDriftNow() {
    if (applied_.empty())
        return;
    repairAppliedDrift();
    driftRecheck_->start();
}

std::vector<GammaController::DisplayId> GammaController::repairAppliedDrift() {
    // A read-back just made needs no periodic one soon after: restarting keeps one wake-up per
    // interval however the checks are asked for.
    if (driftTimer_->isActive())
        driftTimer_->start();
    return repairDrift(applied_);
}

void GammaController::updateDriftTimer() {
    if (applied_.empty() || driftTimer_->interval() <= 0) {
        driftTimer_->stop();
        driftRecheck_->stop();
    } else if (!driftTimer_->isActive()) {
        driftTimer_->start();
    }
}

std::vector<GammaController::DisplayId> GammaController::repairDrift(const std::vector<DisplayId>& displays) {
    // A table that went through 16 bits and the hardware's ramp size comes back within a fraction
    // of a level; anything further off was written by someone else.
    constexpr float kTolerance = 1.0f / 255.0f;
    const auto drifted = [](const core::TransferTables& want, const core::TransferTables& have) {
        for (const auto& [w, h] : {std::pair{&want.r, &have.r}, {&want.g, &have.g}, {&want.b, &have.b}})
            for (std::size_t i = 0; i < w->size(); ++i)
                if (!(std::abs((*w)[i] - (*h)[i]) <= kTolerance))
                    return true;
        return false;
    };
    std::vector<DisplayId> checked;
    std::vector<Decision> decisions;
    for (const DisplayId id : displays) {
        std::lock_guard lock(lock_);
        const auto it = lastDecision_.find(id);
        // A frame on its way (a ramp's last one included) would be taken for someone else's ramp.
        if (it == lastDecision_.end() || ramps_.count(id) || writer_->pending(id))
            continue;
        checked.push_back(id);
        decisions.push_back(it->second);
    }
    if (checked.empty())
        return {};
    const auto shown = displays_.readAllTransferTables(checked);
    std::vector<DisplayId> repaired;
    for (std::size_t i = 0; i < checked.size(); ++i) {
        const DisplayId id = checked[i];
        if (i >= shown.size() || !shown[i])
            continue;
        const core::TransferTables& expected = expectedTables(id, decisions[i]);
        if (!drifted(expected, *shown[i])) {
            refusing_.erase(id);
            continue;
        }
        if (!refusing_.count(id))
            qCInfo(lcEngine) << "Display" << id
                             << "no longer shows its tint (another program changed its ramp); "
                                "writing it again";
        write(id, decisions[i]);
        repaired.push_back(id);
        const auto after = displays_.readTransferTables(id);
        if (after && !drifted(expected, *after))
            refusing_.erase(id);
        else if (refusing_.insert(id).second)
            qCWarning(lcEngine) << "Display" << id
                                << "does not take its tint; it is written again quietly until it does";
    }
    return repaired;
}

const core::TransferTables& GammaController::expectedTables(DisplayId id, const Decision& decision) {
    auto it = expected_.find(id);
    if (it == expected_.end() || !(it->second.first == decision))
        it = expected_.insert_or_assign(id, std::pair{decision, tablesFor(decision)}).first;
    return it->second.second;
}

bool GammaController::isRamping(DisplayId id) const {
    std::lock_guard lock(lock_);
    return ramps_.count(id) > 0;
}

void GammaController::cancelRamp(DisplayId id) {
    std::lock_guard lock(lock_);
    const auto it = ramps_.find(id);
    if (it == ramps_.end())
        return;
    it->second.timer->stop();
    it->second.timer->deleteLater();
    ramps_.erase(it);
}

void GammaController::cancelAllRampsLocked() {
    for (auto& [id, ramp] : ramps_) {
        ramp.timer->stop();
        ramp.timer->deleteLater();
    }
    ramps_.clear();
}

void GammaController::startRamp(DisplayId id, const Target& from, const Target& to, Seconds duration) {
    auto* timer = new QTimer(this);
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(kFrameInterval);
    connect(timer, &QTimer::timeout, this, [this, id, timer] { advanceRamp(id, timer); });
    timer->start();
    qCDebug(lcEngine) << "Ramp on display" << id << "from" << from.kelvin << "K to" << to.kelvin << "K over"
                      << duration.count() << "s";
    RampState state{from, to, now_(), duration, timer};
    std::lock_guard lock(lock_);
    ramps_[id] = state;
}

void GammaController::advanceRamp(DisplayId id, QTimer* currentTimer) {
    Target frame;
    std::pair<Writer::Channel*, std::uint64_t> slot;
    {
        std::lock_guard lock(lock_);
        const auto it = ramps_.find(id);
        if (it == ramps_.end() || it->second.timer != currentTimer)
            return;
        const RampState& r = it->second;
        const double p = Seconds(now_() - r.startTime) / r.duration;
        if (p >= 1.0) {
            frame = r.toTarget;
            r.timer->stop();
            r.timer->deleteLater();
            ramps_.erase(it);
        } else {
            const double t = std::max(p, 0.0); // below 1 here
            const double s = t * t * (3.0 - 2.0 * t);
            frame = {lerp(r.fromTarget.kelvin, r.toTarget.kelvin, s),
                     lerp(r.fromTarget.brightness, r.toTarget.brightness, s),
                     lerp(r.fromTarget.gamma, r.toTarget.gamma, s)};
        }
        // The place in the display's order is taken now, on the main thread, in frame order.
        slot = writer_->issue(id);
    }
    QThreadPool::globalInstance()->start(
        [writer = writer_, id, slot, frame] { writer->land(id, *slot.first, slot.second, frame); });
}

void GammaController::write(DisplayId id, const Decision& decision) {
    const auto [channel, seq] = writer_->issue(id);
    writer_->land(id, *channel, seq, decision);
}

} // namespace tintwell::engine
