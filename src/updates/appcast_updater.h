#pragma once

#include "core/instant.h"
#include "scheduling/clock.h"
#include "updates/appcast_fetcher.h"
#include "updates/updater.h"

#include <memory>

#include <QObject>
#include <QString>
#include <QTimer>

namespace tintwell::settings {
class UserDefaults;
}

namespace tintwell::updates {

class UpdateChannelDelegate;

/// Keys the update machinery keeps in the user defaults. None starts with "tintwell.", so none
/// counts as settings from an earlier run.
namespace updaterKeys {
/// Boolean: whether the updater checks by itself. Written at every launch before the updater starts.
inline constexpr const char* enableAutomaticChecks = "SUEnableAutomaticChecks";
/// Seconds since 1970 (double) of the last automatic check, successful or not.
inline constexpr const char* lastCheckTime = "SULastCheckTime";
/// The version of the last update announced by a notification.
inline constexpr const char* lastNotifiedVersion = "SULastNotifiedVersion";
} // namespace updaterKeys

struct UpdaterTiming {
    Seconds checkInterval{24 * 60 * 60};
    /// After start-up or switching automatic checks on, the first check waits at least this long,
    /// so that logging in does not start with network traffic.
    Seconds firstCheckDelay{60};
    FetchLimits fetch;
};

/// Checks an appcast feed: fetches it, keeps the items on the channels the delegate allows (and
/// those without a channel), and offers the delegate's best valid update. Automatic checks read
/// their switch from the user defaults at construction. Main thread only.
class AppcastUpdater final : public QObject, public Updater {
    Q_OBJECT
public:
    /// `feedUrl` empty: no feed. `delegate`, `defaults` and `clock` must outlive the updater.
    AppcastUpdater(QString feedUrl, UpdateChannelDelegate& delegate, settings::UserDefaults& defaults,
                   std::shared_ptr<scheduling::Clock> clock, UpdaterTiming timing = {},
                   QObject* parent = nullptr);
    ~AppcastUpdater() override;

    bool automaticallyChecksForUpdates() const override { return automatic_; }
    void setAutomaticallyChecksForUpdates(bool on) override;
    void checkForUpdates() override;
    void setPresenter(UpdatePresenter* presenter) override { presenter_ = presenter; }

    /// Whether an automatic check is waiting for its time.
    bool automaticCheckScheduled() const { return scheduled_.isActive(); }

Q_SIGNALS:
    /// A check ended (for tests and the command line); the presenter has had its answer.
    void checkFinished();

private:
    void schedule();
    void startCheck();
    void finishCheck(const AppcastFetcher::Result& fetched);

    QString feedUrl_;
    UpdateChannelDelegate& delegate_;
    settings::UserDefaults& defaults_;
    std::shared_ptr<scheduling::Clock> clock_;
    UpdaterTiming timing_;
    UpdatePresenter* presenter_ = nullptr;
    AppcastFetcher fetcher_;
    QTimer scheduled_;
    bool automatic_ = false;
    bool manualWaiting_ = false;    ///< the user asked and waits for the answer
    bool automaticWaiting_ = false; ///< the check in progress is also the automatic one
};

} // namespace tintwell::updates
