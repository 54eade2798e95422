#include "updates/appcast_updater.h"

#include "settings/user_defaults.h"
#include "updates/update_channel_delegate.h"
#include "updates/update_presenter.h"

#include <algorithm>
#include <cmath>

#include <QLoggingCategory>

namespace tintwell::updates {

Q_LOGGING_CATEGORY(lcUpdate, "tintwell.update", QtInfoMsg)

namespace {

struct Available {
    AppcastItem item;
};
struct UpToDate {};
struct Failed {
    QString reason;
};
using Outcome = std::variant<Available, UpToDate, Failed>;

std::optional<double> storedSeconds(const settings::UserDefaults& defaults, const char* key) {
    const auto value = defaults.object(key);
    if (!value)
        return std::nullopt;
    if (const auto* d = std::get_if<double>(&*value))
        return std::isfinite(*d) ? std::optional(*d) : std::nullopt;
    if (const auto* i = std::get_if<std::int64_t>(&*value))
        return static_cast<double>(*i);
    return std::nullopt;
}

bool storedBool(const settings::UserDefaults& defaults, const char* key) {
    const auto value = defaults.object(key);
    if (!value)
        return false;
    if (const auto* b = std::get_if<bool>(&*value))
        return *b;
    if (const auto* i = std::get_if<std::int64_t>(&*value))
        return *i != 0;
    return false;
}

Outcome select(const AppcastFetcher::Result& fetched, const UpdateChannelDelegate& delegate) {
    if (const auto* error = std::get_if<AppcastError>(&fetched))
        return Failed{error->reason};
    auto parsed = parseAppcast(std::get<QByteArray>(fetched));
    if (const auto* error = std::get_if<AppcastError>(&parsed))
        return Failed{error->reason};
    auto items = std::get<std::vector<AppcastItem>>(std::move(parsed));
    const auto allowed = delegate.allowedChannels();
    std::erase_if(items,
                  [&](const AppcastItem& item) { return item.channel && !allowed.contains(*item.channel); });
    if (auto best = delegate.bestValidUpdate(items))
        return Available{std::move(*best)};
    return UpToDate{};
}

} // namespace

AppcastUpdater::AppcastUpdater(QString feedUrl, UpdateChannelDelegate& delegate,
                               settings::UserDefaults& defaults, std::shared_ptr<scheduling::Clock> clock,
                               UpdaterTiming timing, QObject* parent)
    : QObject(parent), feedUrl_(std::move(feedUrl)), delegate_(delegate), defaults_(defaults),
      clock_(std::move(clock)), timing_(timing), fetcher_(timing.fetch) {
    scheduled_.setSingleShot(true);
    connect(&scheduled_, &QTimer::timeout, this, [this] {
        automaticWaiting_ = true;
        if (!fetcher_.busy())
            startCheck();
    });
    automatic_ = storedBool(defaults_, updaterKeys::enableAutomaticChecks);
    schedule();
}

AppcastUpdater::~AppcastUpdater() = default;

void AppcastUpdater::setAutomaticallyChecksForUpdates(bool on) {
    if (on == automatic_)
        return;
    automatic_ = on;
    qCInfo(lcUpdate) << "Automatic update checks" << (on ? "on" : "off");
    if (!on && automaticWaiting_) {
        automaticWaiting_ = false;
        if (!manualWaiting_)
            fetcher_.cancel();
    }
    schedule();
}

void AppcastUpdater::schedule() {
    if (!automatic_ || feedUrl_.isEmpty()) {
        scheduled_.stop();
        return;
    }
    if (automaticWaiting_)
        return; // the check in progress schedules the next one
    const double now = secondsSinceEpoch(clock_->now());
    const double last = storedSeconds(defaults_, updaterKeys::lastCheckTime).value_or(-INFINITY);
    // A last check in the future (the clock was set back) waits one interval at most.
    const double wait =
        std::clamp(last + timing_.checkInterval.count() - now, timing_.firstCheckDelay.count(),
                   std::max(timing_.checkInterval, timing_.firstCheckDelay).count());
    scheduled_.start(static_cast<int>(std::ceil(wait * 1000)));
}

void AppcastUpdater::checkForUpdates() {
    if (feedUrl_.isEmpty()) {
        if (presenter_)
            presenter_->showNoFeed();
        Q_EMIT checkFinished();
        return;
    }
    manualWaiting_ = true;
    if (!fetcher_.busy())
        startCheck();
}

void AppcastUpdater::startCheck() {
    qCDebug(lcUpdate) << "Checking" << feedUrl_ << "on channel"
                      << QString::fromStdString(delegate_.chosenChannel());
    fetcher_.fetch(QUrl(feedUrl_), [this](const AppcastFetcher::Result& fetched) { finishCheck(fetched); });
}

void AppcastUpdater::finishCheck(const AppcastFetcher::Result& fetched) {
    const Outcome outcome = select(fetched, delegate_);
    const std::string& current = delegate_.currentVersion();

    if (std::exchange(automaticWaiting_, false)) {
        // Nobody asked for this check: a failure is only worth a line in the log.
        if (const auto* failed = std::get_if<Failed>(&outcome))
            qCInfo(lcUpdate).noquote() << errorText(failed->reason);
        defaults_.setDouble(updaterKeys::lastCheckTime, secondsSinceEpoch(clock_->now()));
        if (const auto* available = std::get_if<Available>(&outcome)) {
            const std::string version = available->item.versionString.value_or("");
            if (!presenter_) {
                qCInfo(lcUpdate).noquote() << availableText(available->item, current);
            } else if (defaults_.string(updaterKeys::lastNotifiedVersion) != version) {
                defaults_.setString(updaterKeys::lastNotifiedVersion, version);
                presenter_->notifyAvailable(available->item, current);
            }
        }
    }
    if (std::exchange(manualWaiting_, false) && presenter_) {
        if (const auto* available = std::get_if<Available>(&outcome))
            presenter_->showAvailable(available->item, current);
        else if (std::holds_alternative<UpToDate>(outcome))
            presenter_->showUpToDate();
        else
            presenter_->showError(std::get<Failed>(outcome).reason);
    }
    schedule();
    Q_EMIT checkFinished();
}

} // namespace tintwell::updates
