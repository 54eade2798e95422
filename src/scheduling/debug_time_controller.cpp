#include "scheduling/debug_time_controller.h"

#include "platform/instant_date_time.h"

#include <cmath>
#include <cstdlib>
#include <string_view>

#include <QDateTime>
#include <QLoggingCategory>

namespace tintwell::scheduling {
namespace {

Q_LOGGING_CATEGORY(lcDebugTime, "tintwell.debugtime", QtInfoMsg)

QString describe(Instant instant) {
    return platform::toDateTime(instant).toString(Qt::ISODateWithMs);
}

} // namespace

bool DebugTimeController::isEnabled() {
    const char* value = std::getenv("TINTWELL_DEBUG_TIME");
    return value && std::string_view(value) == "1";
}

std::vector<DebugTimeMenuRow> DebugTimeController::menuRows() {
    using A = DebugTimeAction;
    const auto header = [](const char* title) {
        return DebugTimeMenuRow{false, QString::fromUtf8(title), A::None, 0, false};
    };
    const auto item = [](const QString& title, A action, int tag = 0) {
        return DebugTimeMenuRow{false, title, action, tag, true};
    };
    const DebugTimeMenuRow separator{true, {}, A::None, 0, false};
    return {
        header("Clock"),
        item(QStringLiteral("Jump +1 hour"), A::Jump, 3600),
        item(QStringLiteral("Jump +6 hours"), A::Jump, 21600),
        item(QStringLiteral("Jump +12 hours"), A::Jump, 43200),
        item(QStringLiteral("Jump \u22121 hour"), A::Jump, -3600),
        item(QStringLiteral("Jump \u22126 hours"), A::Jump, -21600),
        separator,
        item(QStringLiteral("Reset to system clock"), A::ResetClock),
        separator,
        header("System events"),
        item(QStringLiteral("Simulate didWake"), A::SimulateWake),
        item(QStringLiteral("Simulate clock change"), A::SimulateClockChange),
        item(QStringLiteral("Simulate timezone change"), A::SimulateTZChange),
    };
}

DebugTimeController::DebugTimeController(std::weak_ptr<TickTarget> target,
                                         watchers::LifecycleObserver* lifecycle,
                                         std::shared_ptr<Clock> realClock, QObject* parent)
    : QObject(parent), target_(std::move(target)), lifecycle_(lifecycle), realClock_(std::move(realClock)) {}

void DebugTimeController::perform(const DebugTimeMenuRow& row) {
    switch (row.action) {
    case DebugTimeAction::None:
        return;
    case DebugTimeAction::Jump:
        return jump(row.tag);
    case DebugTimeAction::ResetClock:
        return resetClock();
    case DebugTimeAction::SimulateWake:
        return simulateWake();
    case DebugTimeAction::SimulateClockChange:
        return simulateClockChange();
    case DebugTimeAction::SimulateTZChange:
        return simulateTZChange();
    }
}

std::shared_ptr<FakeClock> DebugTimeController::ensureFakeClock() {
    if (fakeClock_)
        return fakeClock_;
    // Frozen at the real time of this moment, not at whatever the owner's clock said last.
    fakeClock_ = std::make_shared<FakeClock>(realClock_->now());
    if (const auto target = target_.lock())
        target->setClock(fakeClock_);
    return fakeClock_;
}

void DebugTimeController::jump(int seconds) {
    const auto fake = ensureFakeClock();
    fake->current += Seconds(double(seconds));
    qCInfo(lcDebugTime).noquote() << QStringLiteral("jump %1 s: the schedule's time is now %2")
                                         .arg(seconds)
                                         .arg(describe(fake->current));
    if (const auto target = target_.lock())
        target->tick();
}

void DebugTimeController::resetClock() {
    fakeClock_.reset();
    qCInfo(lcDebugTime) << "back to the system clock";
    const auto target = target_.lock();
    if (!target)
        return;
    target->setClock(std::make_shared<SystemClock>());
    target->tick();
}

void DebugTimeController::simulateWake() {
    if (lifecycle_)
        lifecycle_->simulateWake();
}

void DebugTimeController::simulateClockChange() {
    if (lifecycle_)
        lifecycle_->simulateClockChange();
}

void DebugTimeController::simulateTZChange() {
    if (lifecycle_)
        lifecycle_->simulateTimeZoneChange();
}

} // namespace tintwell::scheduling
