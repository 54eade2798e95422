#include "app/app_delegate.h"

#include "app/bus/application_bus_face.h"
#include "app/location_status_binding.h"
#include "app/log_output.h"
#include "engine/gamma_controller.h"
#include "scheduling/tick_loop.h"
#include "settings/app_state.h"
#include "settings/autostart_entry.h"
#include "settings/display_identity_cache.h"
#include "settings/display_lookup.h"
#include "settings/settings_file_follower.h"
#include "shortcuts/global_shortcuts.h"
#include "ui/model/location_status.h"
#include "ui/tray/debug_time_status_item.h"
#include "ui/tray/menu_bar_controller.h"
#include "ui/tray/popup_window.h"
#include "updates/appcast_updater.h"
#include "updates/tray_update_presenter.h"
#include "updates/update_channel_delegate.h"
#include "updates/update_consent.h"
#include "updates/update_feed.h"
#include "watchers/app_exceptions_manager.h"
#include "watchers/display_windows.h"
#include "watchers/hotkeys_manager.h"
#include "watchers/lifecycle_observer.h"
#include "watchers/location_provider.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QLoggingCategory>

namespace tintwell::app {

using namespace tintwell::updates;

Q_LOGGING_CATEGORY(lcApp, "tintwell.app")

namespace {

/// Hands the debug time controls a weakly held way back to the delegate.
class DelegateTickTarget final : public scheduling::TickTarget {
public:
    explicit DelegateTickTarget(AppDelegate* delegate) : delegate_(delegate) {}
    void setClock(std::shared_ptr<scheduling::Clock> clock) override {
        if (delegate_)
            delegate_->setClock(std::move(clock));
    }
    void tick() override {
        if (delegate_)
            delegate_->tick();
    }

private:
    QPointer<AppDelegate> delegate_;
};

/// Calls `action` with each value `signal` carries that differs from the one before it (the first
/// from `initial`), for as long as `context` lives. The store announces every assignment, equal
/// values included.
template <class Value, class... Args, class Action>
void onDistinct(settings::AppState* state, void (settings::AppState::*signal)(Args...), Value initial,
                QObject* context, Action action) {
    QObject::connect(state, signal, context,
                     [last = std::move(initial), action = std::move(action)](const Value& value) mutable {
                         if (value == last)
                             return;
                         last = value;
                         action(value);
                     });
}

/// Restarts `debounce` whenever `signal` carries a value different from the one before.
template <class Value, class... Args>
void restartOnDistinct(settings::AppState* state, void (settings::AppState::*signal)(Args...), Value initial,
                       QTimer* debounce) {
    onDistinct(state, signal, std::move(initial), debounce, [debounce](const Value&) { debounce->start(); });
}

} // namespace

AppDelegate::AppDelegate(AppServices services, AppTiming timing, QObject* parent)
    : QObject(parent), services_(std::move(services)), timing_(timing),
      displayIdentity_(std::make_unique<settings::DisplayIdentityCache>(*services_.displays)) {
    settingsDebounce_.setSingleShot(true);
    settingsDebounce_.setInterval(std::chrono::round<std::chrono::milliseconds>(timing_.settingsDebounce));
    connect(&settingsDebounce_, &QTimer::timeout, this, &AppDelegate::tick);
    followInstanceClaim();
}

AppDelegate::~AppDelegate() {
    if (!terminated_ && gamma_)
        applicationWillTerminate();
}

void AppDelegate::applicationDidFinishLaunching() {
    appState_ = std::make_unique<settings::AppState>(*services_.defaults);
    // The desktop's autostart entry goes with the real settings file, never with a stand-in store.
    if (services_.settingsFile)
        appState_->useAutostartEntry(std::make_unique<settings::AutostartEntry>());
    gamma_ = std::make_unique<engine::GammaController>(*services_.displays);
    startUpdater();

    globalShortcuts_ = std::make_unique<shortcuts::GlobalShortcuts>(*services_.defaults, services_.hotKeys);
    hotkeys_ = std::make_unique<watchers::HotkeysManager>(*appState_, *globalShortcuts_);
    hotkeys_->installHandlers();

    settings::AppState* state = appState_.get();
    appExceptions_ = std::make_unique<watchers::AppExceptionsManager>(
        [state] { return state->appExceptions(); }, services_.workspace);
    appExceptions_->setDebounceInterval(timing_.frontmostDebounce);
    appExceptions_->start();

    if (services_.location)
        location_ = std::make_unique<watchers::LocationProvider>(
            *services_.location, [self = QPointer<AppDelegate>(this)](double latitude, double longitude) {
                if (self)
                    self->handleFix(latitude, longitude);
            });

    // The popup reads the state, the exceptions and the location status built above; it must be up
    // before the observers below can announce anything.
    if (services_.userInterface)
        installMenuBar();

    lifecycle_ = std::make_unique<watchers::LifecycleObserver>(
        [self = QPointer<AppDelegate>(this)] {
            if (self)
                self->reapply();
        },
        services_.displays, std::move(services_.lifecycleSources), timing_.lifecycleDebounce);
    lifecycle_->start();

    tickLoop_ = std::make_unique<scheduling::TickLoop>(*appState_, *gamma_, appExceptions_.get(),
                                                       services_.workspace, *displayIdentity_);
    platform::DisplayServices* displays = services_.displays;
    platform::WorkspaceServices* workspace = services_.workspace;
    tickLoop_->onlineDisplaysProvider = [displays] {
        return settings::DisplayLookup(*displays).onlineDisplays();
    };
    // Asked only while a workspace is there to run the exception's application.
    tickLoop_->displaysForPIDProvider = [displays, workspace](platform::ProcessId pid) {
        return watchers::displaysContainingWindows(*workspace, *displays, pid);
    };

    wireStateObservers();

    // The moments a game, a video player or a screen recorder gives the screen back, often with
    // its ramps reset: repair at once rather than at the next periodic read-back.
    if (workspace) {
        connect(workspace, &platform::WorkspaceServices::frontmostApplicationChanged, gamma_.get(),
                &engine::GammaController::checkDriftNow);
        connect(workspace, &platform::WorkspaceServices::windowClosed, gamma_.get(),
                &engine::GammaController::checkDriftNow);
    }

    if (scheduling::DebugTimeController::isEnabled()) {
        tickTarget_ = std::make_shared<DelegateTickTarget>(this);
        debugTimeController_ =
            std::make_unique<scheduling::DebugTimeController>(tickTarget_, lifecycle_.get());
        if (menuBar_) {
            debugTimeItem_ = std::make_unique<ui::DebugTimeStatusItem>(*debugTimeController_);
            debugTimeItem_->install();
        }
        qCInfo(lcApp) << "Debug time controls are on";
    }

    // With the permission still undetermined, launch asks nothing: the prompt belongs to an explicit
    // request from the user.
    if (location_ && appState_->useAutoLocation() && location_->isAuthorized())
        location_->requestOnce();

    tick();
    // Both come after the first evaluation: the bus face then never reports a tint not yet decided,
    // and a file change read back during launch would only cost a second tick.
    followSettingsFile();
    answerOnSessionBus();
}

void AppDelegate::followInstanceClaim() {
    if (!services_.instance)
        return;
    // Without its display the process has nothing left to tint or restore, and must not linger as
    // if it still ran.
    connect(services_.instance, &platform::InstanceClaim::displayConnectionLost, this, [] {
        reportLostDisplayConnection();
        // Every other part notices the same loss; this line says it all.
        QLoggingCategory::setFilterRules(QStringLiteral("tintwell.*=false"));
        QCoreApplication::exit(1);
    });
    connect(services_.instance, &platform::InstanceClaim::takenOver, this, [] {
        qWarning().noquote() << "Another program took over as the display's Tintwell - quitting.";
        QCoreApplication::exit(0);
    });
}

void AppDelegate::followSettingsFile() {
    if (!services_.settingsFile)
        return;
    settingsFollower_ = std::make_unique<settings::SettingsFileFollower>(*services_.settingsFile, *appState_);
    // A hotkey assigned with --hotkey while the application runs is grabbed as soon as it is read.
    connect(settingsFollower_.get(), &settings::SettingsFileFollower::followed, this, [this] {
        if (globalShortcuts_)
            globalShortcuts_->reloadFromStore();
    });
}

void AppDelegate::answerOnSessionBus() {
    if (!services_.onSessionBus)
        return;
    busFace_ = std::make_unique<ApplicationBusFace>(*appState_, appExceptions_.get());
    connect(busFace_.get(), &ApplicationBusFace::reapplyRequested, this, &AppDelegate::reapply);
    busFace_->setBackend(services_.backend);
    // `tintwell --action NAME`, bound to keys in the compositor's configuration where no client may
    // grab them.
    busFace_->setActionRunner(
        [this](const QString& name) { return hotkeys_ && hotkeys_->perform(name.toStdString()); });
    if (QString busError; !busFace_->registerOn(QDBusConnection::sessionBus(), &busError))
        qWarning().noquote() << "Not on D-Bus:" << busError;
    if (services_.userInterface) {
        connect(busFace_.get(), &ApplicationBusFace::showPopupRequested, this, [this] {
            if (menuBar_)
                menuBar_->showPopover();
        });
    } else
        qInfo().noquote() << "No graphical session: Tintwell runs without its status icon; the command line "
                             "still controls it";
}

void AppDelegate::startUpdater() {
    recordFirstStartConsent(*appState_);
    // The updater reads its switch when it starts, so the consent must be written first.
    services_.defaults->setBool(updaterKeys::enableAutomaticChecks,
                                appState_->updateConsent() == settings::UpdateConsent::Allowed);
    updateChannelDelegate_ = std::make_unique<UpdateChannelDelegate>();
    if (services_.makeUpdater)
        updater_ = services_.makeUpdater(*updateChannelDelegate_, *services_.defaults);
    else
        updater_ = std::make_unique<AppcastUpdater>(configuredFeedUrl(), *updateChannelDelegate_,
                                                    *services_.defaults,
                                                    std::make_shared<scheduling::SystemClock>());
}

void AppDelegate::wireUpdateObservers() {
    settings::AppState* s = appState_.get();
    // Both arrive on the next pass of the event loop, the current values first.
    const auto setChannel = [this](const std::string& channel) {
        QMetaObject::invokeMethod(
            this,
            [this, channel] {
                if (updateChannelDelegate_)
                    updateChannelDelegate_->setChosenChannel(channel);
            },
            Qt::QueuedConnection);
    };
    onDistinct(s, &settings::AppState::updateChannelChanged, s->updateChannel(), this, setChannel);
    setChannel(s->updateChannel());

    const auto setAutomatic = [this](settings::UpdateConsent consent) {
        QMetaObject::invokeMethod(
            this,
            [this, consent] {
                if (updater_ && !terminated_)
                    updater_->setAutomaticallyChecksForUpdates(consent == settings::UpdateConsent::Allowed);
            },
            Qt::QueuedConnection);
    };
    onDistinct(s, &settings::AppState::updateConsentChanged, s->updateConsent(), this, setAutomatic);
    setAutomatic(s->updateConsent());
}

void AppDelegate::onCheckForUpdates() {
    if (!terminated_ && updater_)
        updater_->checkForUpdates();
}

void AppDelegate::setUpdatePresenter(UpdatePresenter* presenter) {
    if (updater_)
        updater_->setPresenter(presenter);
}

void AppDelegate::installMenuBar() {
    locationStatus_ = std::make_unique<ui::LocationStatus>();
    if (location_)
        bindLocationStatus(*location_, *locationStatus_);
    QPointer<AppDelegate> self(this);
    ui::UiCallbacks callbacks;
    callbacks.onQuit = [] { QCoreApplication::quit(); };
    callbacks.onManualApply = [self] {
        if (self)
            self->tick();
    };
    callbacks.onPreviewKelvin = [self](std::optional<double> kelvin) {
        if (!self || !self->tickLoop_)
            return;
        self->tickLoop_->setPreviewKelvin(kelvin);
        self->tick();
    };
    callbacks.onUseCurrentLocation = [self] {
        if (self && self->location_) {
            self->askAgainIfRefused();
            self->location_->requestOnce();
        }
    };
    // While our menu or popup holds the keyboard, passive grabs cannot fire: the shortcuts take
    // the keys from the application's own events instead.
    callbacks.onMenuTrackingChanged = [self](bool open) {
        if (self && self->globalShortcuts_)
            self->globalShortcuts_->setMenuOpen(open);
    };
    callbacks.onCheckForUpdates = [self] {
        if (!self)
            return;
        if (self->menuBar_)
            self->menuBar_->closePopover();
        self->onCheckForUpdates();
    };
    menuBar_ = std::make_unique<ui::MenuBarController>(*appState_, appExceptions_.get(), *locationStatus_,
                                                       *services_.displays, std::move(callbacks));
    menuBar_->setWorkspace(services_.workspace);
    menuBar_->setGlobalShortcuts(globalShortcuts_.get());
    menuBar_->setOfferOnboarding(true);
    menuBar_->setUpdatesOffered(services_.makeUpdater || !configuredFeedUrl().isEmpty());
    menuBar_->install();
    updatePresenter_ = std::make_unique<TrayUpdatePresenter>([self]() -> QSystemTrayIcon* {
        return self && self->menuBar_ ? self->menuBar_->statusItem() : nullptr;
    });
    setUpdatePresenter(updatePresenter_.get());
}

void AppDelegate::wireStateObservers() {
    settings::AppState* s = appState_.get();
    QTimer* debounce = &settingsDebounce_;
    // The settings that change what the displays show; each change, once it differs from the
    // previous value, restarts one shared 100 ms debounce, so a burst costs one tick.
    std::array<settings::SettingValue, core::settingRows.size()> last;
    for (std::size_t i = 0; i < last.size(); ++i)
        last[i] = s->value(core::SettingId(i));
    connect(s, &settings::AppState::settingChanged, debounce, [s, debounce, last](std::size_t i) mutable {
        const auto& value = s->value(core::SettingId(i));
        if (!core::settingRows[i].reevaluates() || value == last[i])
            return;
        last[i] = value;
        debounce->start();
    });
    restartOnDistinct(s, &settings::AppState::displayOverridesChanged, s->displayOverrides(), debounce);
    // Subscribing delivers the current values: one debounced tick follows the wiring.
    debounce->start();

    connect(appExceptions_.get(), &watchers::AppExceptionsManager::activeOverrideChanged, this,
            &AppDelegate::tick, Qt::QueuedConnection);
    QMetaObject::invokeMethod(this, &AppDelegate::tick, Qt::QueuedConnection);

    watchers::AppExceptionsManager* exceptions = appExceptions_.get();
    const auto resolve = [exceptions](const auto&...) {
        QMetaObject::invokeMethod(exceptions, &watchers::AppExceptionsManager::resolve, Qt::QueuedConnection);
    };
    onDistinct(s, &settings::AppState::appExceptionsChanged, s->appExceptions(), exceptions, resolve);
    resolve();

    wireUpdateObservers();

    // Only changes count, not the value at wiring time: the launch request covers that one. Each
    // distinct value is delivered in order, even several within one pass of the event loop.
    onDistinct(s, &settings::AppState::useAutoLocationChanged, s->useAutoLocation(), this,
               [this](bool enabled) {
                   QMetaObject::invokeMethod(
                       this, [this, enabled] { useAutoLocationChanged(enabled); }, Qt::QueuedConnection);
               });
}

void AppDelegate::useAutoLocationChanged(bool enabled) {
    if (terminated_ || !location_)
        return;
    // Switching automatic location on again is the user's way to ask anew after a refusal.
    const bool authorized = (enabled && askAgainIfRefused()) || location_->isAuthorized();
    qCInfo(watchers::lcLocation, "useAutoLocation sink fired enabled=%s authorized=%s",
           enabled ? "true" : "false", authorized ? "true" : "false");
    if (enabled && authorized)
        location_->requestOnce();
    else if (!enabled)
        location_->cancel();
}

bool AppDelegate::askAgainIfRefused() {
    // A refusal is the answer of one moment: the user may have allowed the application since, in
    // the desktop's privacy settings or GeoClue's configuration. An explicit request asks again;
    // the request that follows publishes whatever the service says now.
    if (!services_.location)
        return false;
    const auto status = services_.location->authorizationStatus();
    if (status != platform::AuthorizationStatus::Denied &&
        status != platform::AuthorizationStatus::Restricted)
        return false;
    services_.location->requestWhenInUseAuthorization();
    const auto now = services_.location->authorizationStatus();
    return now != platform::AuthorizationStatus::Denied && now != platform::AuthorizationStatus::Restricted &&
           now != platform::AuthorizationStatus::NotDetermined;
}

void AppDelegate::handleFix(double latitude, double longitude) {
    if (terminated_)
        return;
    qCInfo(watchers::lcLocation, "onFix → AppState lat=%f lon=%f", latitude, longitude);
    // Each assignment is saved as it is made, latitude first.
    appState_->setLatitude(latitude);
    appState_->setLongitude(longitude);
    tick();
}

void AppDelegate::reapply() {
    if (terminated_ || !gamma_)
        return;
    displayIdentity_->reset();
    gamma_->reapply();
    tick();
}

void AppDelegate::setClock(std::shared_ptr<scheduling::Clock> clock) {
    if (tickLoop_)
        tickLoop_->clock = std::move(clock);
}

void AppDelegate::tick() {
    if (terminated_ || !tickLoop_)
        return;
    tickLoop_->tick();
}

void AppDelegate::applicationWillTerminate() {
    if (terminated_)
        return;
    terminated_ = true;
    settingsDebounce_.stop();
    if (tickLoop_)
        tickLoop_->invalidateTimer();
    if (lifecycle_)
        lifecycle_->stop();
    if (appExceptions_)
        appExceptions_->stop();
    if (updater_)
        updater_->setAutomaticallyChecksForUpdates(false);
    if (menuBar_)
        menuBar_->removeStatusItem();
    debugTimeItem_.reset();
    if (location_)
        location_->cancel();
    if (gamma_)
        gamma_->restoreSystem();
    qCInfo(lcApp) << "Displays restored";
}

} // namespace tintwell::app
