#pragma once

#include "core/instant.h"
#include "platform/display_services.h"
#include "platform/hot_key_service.h"
#include "platform/instance_claim.h"
#include "platform/lifecycle_event_source.h"
#include "platform/location_services.h"
#include "platform/workspace_services.h"
#include "scheduling/clock.h"
#include "scheduling/debug_time_controller.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QObject>
#include <QTimer>

namespace tintwell::engine {
class GammaController;
}
namespace tintwell::settings {
class AppState;
class DisplayIdentityCache;
class JsonFileUserDefaults;
class SettingsFileFollower;
class UserDefaults;
} // namespace tintwell::settings
namespace tintwell::shortcuts {
class GlobalShortcuts;
}
namespace tintwell::watchers {
class AppExceptionsManager;
class HotkeysManager;
class LifecycleObserver;
class LocationProvider;
} // namespace tintwell::watchers
namespace tintwell::scheduling {
class TickLoop;
}
namespace tintwell::ui {
class DebugTimeStatusItem;
class LocationStatus;
class MenuBarController;
} // namespace tintwell::ui

namespace tintwell::updates {
class UpdateChannelDelegate;
class UpdatePresenter;
class Updater;
} // namespace tintwell::updates

namespace tintwell::app {

class ApplicationBusFace;

using updates::UpdateChannelDelegate;
using updates::UpdatePresenter;
using updates::Updater;

/// Makes the update machinery for a delegate; called once at launch, after the automatic-check
/// switch has been written to `defaults`.
using UpdaterFactory = std::function<std::unique_ptr<Updater>(UpdateChannelDelegate& delegate,
                                                              settings::UserDefaults& defaults)>;

/// The platform services to run on; all must outlive the delegate.
struct AppServices {
    settings::UserDefaults* defaults = nullptr;
    platform::DisplayServices* displays = nullptr;
    platform::WorkspaceServices* workspace = nullptr; ///< may be null
    /// Sources of wake, clock-set and time-zone events; display reconfiguration comes from `displays`.
    std::vector<std::unique_ptr<platform::LifecycleEventSource>> lifecycleSources;
    /// Where the user is; null: nowhere to ask, the location is set by hand only.
    std::unique_ptr<platform::LocationServices> location = nullptr;
    /// Null: the appcast updater on the configured feed.
    UpdaterFactory makeUpdater{};
    platform::HotKeyService* hotKeys = nullptr; ///< may be null: no global hotkeys
    /// Puts the status icon and its popup up at launch; needs a QApplication.
    bool userInterface = false;
    /// The session's single-instance claim, held; losing it ends the application. May be null.
    platform::InstanceClaim* instance = nullptr;
    /// The file behind `defaults`, followed for changes the command line and editors make while the
    /// application runs; null: nothing is followed.
    settings::JsonFileUserDefaults* settingsFile = nullptr;
    /// Answers on the session bus (status, pause, manual override, popup, reapply) after launch.
    bool onSessionBus = false;
    /// The platform backend's name, for the bus face ("x11", "wayland", "gnome", "kde", "virtual").
    QString backend{};
};

struct AppTiming {
    Seconds settingsDebounce{0.1};
    Seconds lifecycleDebounce{0.75};
    Seconds frontmostDebounce{0.15};
};

/// The composition root: owns every long-lived object, starts them in order, turns settings and
/// environment changes into re-evaluations, and gives the displays their colours back on shutdown.
/// Main thread only.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    explicit AppDelegate(AppServices services, AppTiming timing = AppTiming{}, QObject* parent = nullptr);
    ~AppDelegate() override;

    /// Builds and starts everything, then evaluates once (which also starts the tick timer).
    void applicationDidFinishLaunching();
    /// Stops the timer and the observers, removes the status icons, then returns every display to
    /// its calibration.
    void applicationWillTerminate();

    /// Replaces the time source of every later evaluation.
    void setClock(std::shared_ptr<scheduling::Clock> clock);
    /// Evaluates the schedule now.
    void tick();
    /// The user asked for an update check; the answer goes to the update presenter.
    void onCheckForUpdates();
    /// Where update answers and notifications go (the tray); null: the log only.
    void setUpdatePresenter(UpdatePresenter* presenter);
    /// Forgets the cached display keys, writes every display's last tables again, then evaluates.
    void reapply();

    settings::AppState* appState() const { return appState_.get(); }
    engine::GammaController* gamma() const { return gamma_.get(); }
    watchers::AppExceptionsManager* appExceptions() const { return appExceptions_.get(); }
    /// The global shortcuts; the interface tells it when a menu or the popup opens and closes.
    shortcuts::GlobalShortcuts* globalShortcuts() const { return globalShortcuts_.get(); }
    watchers::HotkeysManager* hotkeys() const { return hotkeys_.get(); }
    watchers::LifecycleObserver* lifecycle() const { return lifecycle_.get(); }
    watchers::LocationProvider* location() const { return location_.get(); }
    scheduling::TickLoop* tickLoop() const { return tickLoop_.get(); }
    settings::DisplayIdentityCache& displayIdentity() { return *displayIdentity_; }
    UpdateChannelDelegate* updateChannelDelegate() const { return updateChannelDelegate_.get(); }
    Updater* updater() const { return updater_.get(); }
    ui::MenuBarController* menuBar() const { return menuBar_.get(); }

private:
    void installMenuBar();
    void wireStateObservers();
    void handleFix(double latitude, double longitude);
    void useAutoLocationChanged(bool enabled);
    /// After a refusal, has the location service ask again; true when it may now be asked.
    bool askAgainIfRefused();
    void startUpdater();
    void wireUpdateObservers();
    void followInstanceClaim();
    void followSettingsFile();
    void answerOnSessionBus();

    AppServices services_;
    AppTiming timing_;
    std::unique_ptr<settings::DisplayIdentityCache> displayIdentity_;
    std::unique_ptr<settings::AppState> appState_;
    std::unique_ptr<engine::GammaController> gamma_;
    std::unique_ptr<UpdateChannelDelegate> updateChannelDelegate_;
    std::unique_ptr<Updater> updater_;
    std::unique_ptr<shortcuts::GlobalShortcuts> globalShortcuts_;
    std::unique_ptr<watchers::HotkeysManager> hotkeys_;
    std::unique_ptr<watchers::AppExceptionsManager> appExceptions_;
    std::unique_ptr<watchers::LifecycleObserver> lifecycle_;
    std::unique_ptr<watchers::LocationProvider> location_;
    std::unique_ptr<scheduling::TickLoop> tickLoop_;
    std::shared_ptr<scheduling::TickTarget> tickTarget_; // what the debug controls hold weakly
    std::unique_ptr<scheduling::DebugTimeController> debugTimeController_;
    QTimer settingsDebounce_;
    bool terminated_ = false;
    // Last, so that they go first: they hold references to everything above.
    std::unique_ptr<ui::LocationStatus> locationStatus_;
    std::unique_ptr<ui::MenuBarController> menuBar_;
    std::unique_ptr<UpdatePresenter> updatePresenter_;
    std::unique_ptr<ui::DebugTimeStatusItem> debugTimeItem_;
    std::unique_ptr<settings::SettingsFileFollower> settingsFollower_;
    std::unique_ptr<ApplicationBusFace> busFace_;
};

} // namespace tintwell::app
