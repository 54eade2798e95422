#include "scheduling/tick_loop.h"

#include "engine/gamma_controller.h"
#include "settings/app_state.h"
#include "settings/display_identity_cache.h"
#include "watchers/app_exceptions_manager.h"

#include <cmath>

#include <QThread>

namespace tintwell::scheduling {

TickLoop::TickLoop(settings::AppState& appState, engine::GammaController& gamma,
                   watchers::AppExceptionsManager* appExceptions, platform::WorkspaceServices* workspace,
                   settings::DisplayIdentityCache& displayIdentity, QObject* parent)
    : QObject(parent), appState_(appState), gamma_(gamma), appExceptions_(appExceptions),
      workspace_(workspace), displayIdentity_(displayIdentity) {}

TickLoop::~TickLoop() = default;

core::SchedulerCore::Input TickLoop::currentInput() {
    core::SchedulerCore::Input in;
    in.now = clock->now();

    if (appExceptions_ && appExceptions_->activeOverride() && workspace_) {
        const core::AppExceptionRule& rule = appExceptions_->activeOverride()->rule;
        // The rule counts only while its application runs; its displays are where its windows are.
        for (const auto& app : workspace_->runningApplications()) {
            if (!app.applicationId.empty() && app.applicationId == rule.bundleId) {
                in.activeOverride = rule;
                if (displaysForPIDProvider)
                    for (const core::DisplayId id : displaysForPIDProvider(app.pid))
                        in.activeOverrideDisplays.insert(id);
                break;
            }
        }
    }

    if (onlineDisplaysProvider)
        in.onlineDisplays = onlineDisplaysProvider();
    in.perDisplaySettings =
        settings::perDisplaySettings(appState_.displayOverrides(), in.onlineDisplays, displayIdentity_);

    in.dayKelvin = appState_.dayKelvin();
    in.nightKelvin = appState_.nightKelvin();
    in.transitionWidthDeg = appState_.transitionWidthDeg();
    in.brightness = appState_.brightness();
    in.gamma = appState_.gamma();
    in.latitude = appState_.latitude();
    in.longitude = appState_.longitude();
    // Until a place is known the latitude and longitude are only defaults: the displays keep their
    // calibration rather than follow a sun somewhere else. A Kelvin pinned by hand needs no place.
    in.paused = appState_.paused() || (!appState_.locationKnown() && !appState_.manualOverride());
    in.manualOverride = appState_.manualOverride();
    in.manualOverrideUntil = appState_.manualOverrideUntil();
    in.manualKelvin = appState_.manualKelvin();
    if (previewKelvin_) {
        // A preview goes the manual override's way, above pause and exceptions and for every
        // display alike; the stored override, if any, is merely set aside.
        in.paused = false;
        in.manualOverride = true;
        in.manualOverrideUntil.reset();
        in.manualKelvin = *previewKelvin_;
        for (auto& [id, settings] : in.perDisplaySettings)
            settings.manualKelvin = *previewKelvin_;
    }
    return in;
}

void TickLoop::tick() {
    Q_ASSERT(QThread::currentThread() == thread());
    ++tickCount_;
    const core::SchedulerCore::Output output = core::SchedulerCore::decide(currentInput());

    appState_.setCurrentAltitude(output.altitude);
    appState_.setCurrentKelvin(output.curveKelvin);
    if (output.manualOverrideExpired)
        appState_.setManualOverride(false);

    if (const auto* apply = std::get_if<core::SchedulerCore::Output::ApplyDecisions>(&output.action)) {
        gamma_.apply(apply->decisions, kelvinSmoothThreshold, smoothDuration);
        // Other programs (games, xrandr, screen recorders) reset ramps behind our back.
        gamma_.repairAppliedDrift();
    } else {
        gamma_.restoreSystem();
    }

    scheduleTimer(output.nextIntervalSec);
    Q_EMIT ticked(output);
}

void TickLoop::scheduleTimer(double interval) {
    if (interval == currentInterval_ && timer_ && timer_->isActive())
        return;
    invalidateTimer();
    currentInterval_ = interval;
    timer_ = std::make_unique<QTimer>();
    timer_->setTimerType(Qt::PreciseTimer);
    timer_->setInterval(static_cast<int>(std::lround(interval * 1000.0)));
    connect(timer_.get(), &QTimer::timeout, this, &TickLoop::tick);
    timer_->start();
}

void TickLoop::invalidateTimer() {
    // The timer may be the one whose timeout is running this tick: let it finish before it goes.
    if (timer_) {
        timer_->stop();
        timer_.release()->deleteLater();
    }
}

} // namespace tintwell::scheduling
