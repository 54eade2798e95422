#pragma once

#include "core/scheduler_core.h"
#include "platform/workspace_services.h"
#include "scheduling/clock.h"

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QTimer>

namespace tintwell::engine {
class GammaController;
}
namespace tintwell::settings {
class AppState;
class DisplayIdentityCache;
} // namespace tintwell::settings
namespace tintwell::watchers {
class AppExceptionsManager;
}

namespace tintwell::scheduling {

/// The application's one evaluation of the world: settings, clock, displays and the exception in
/// force go into the scheduler core, its decisions go to the gamma controller, and a repeating
/// timer is re-armed at the interval the core asks for (only when it changes, so a direct call
/// between firings keeps the timer's phase). Main thread only.
class TickLoop : public QObject {
    Q_OBJECT
public:
    using OnlineDisplaysProvider = std::function<std::vector<core::DisplayId>()>;
    using DisplaysForPidProvider = std::function<std::set<core::DisplayId>(platform::ProcessId)>;

    static constexpr double kelvinSmoothThreshold = 750; ///< Kelvin
    static constexpr Seconds smoothDuration{0.3};

    /// `appExceptions` and `workspace` may be null (no exception is then ever in force).
    TickLoop(settings::AppState& appState, engine::GammaController& gamma,
             watchers::AppExceptionsManager* appExceptions, platform::WorkspaceServices* workspace,
             settings::DisplayIdentityCache& displayIdentity, QObject* parent = nullptr);
    ~TickLoop() override;

    // Replaceable so that the whole chain can run without real displays or real time.
    std::shared_ptr<Clock> clock = std::make_shared<SystemClock>();
    OnlineDisplaysProvider onlineDisplaysProvider;
    DisplaysForPidProvider displaysForPIDProvider;

    /// Evaluates now and acts on the result.
    void tick();
    /// The input the next tick would hand to the scheduler core.
    core::SchedulerCore::Input currentInput();
    /// Shows every online display `kelvin` from the next tick on, the way a manual override with no
    /// end would, without touching the settings; none ends the preview.
    void setPreviewKelvin(std::optional<double> kelvin) { previewKelvin_ = kelvin; }
    std::optional<double> previewKelvin() const { return previewKelvin_; }
    /// Stops the timer for good (shutdown).
    void invalidateTimer();

    const QTimer* timer() const { return timer_.get(); }
    double currentInterval() const { return currentInterval_; }
    /// How many times tick() ran, for diagnostics.
    int tickCount() const { return tickCount_; }

Q_SIGNALS:
    /// Emitted at the end of every tick with what the scheduler decided.
    void ticked(const tintwell::core::SchedulerCore::Output& output);

private:
    void scheduleTimer(double interval);

    settings::AppState& appState_;
    engine::GammaController& gamma_;
    QPointer<watchers::AppExceptionsManager> appExceptions_;
    QPointer<platform::WorkspaceServices> workspace_;
    settings::DisplayIdentityCache& displayIdentity_;
    std::unique_ptr<QTimer> timer_;
    double currentInterval_ = 0;
    int tickCount_ = 0;
    std::optional<double> previewKelvin_;
};

} // namespace tintwell::scheduling
