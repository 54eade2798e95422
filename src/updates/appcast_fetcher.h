#pragma once

#include "updates/appcast.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <variant>

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

namespace tintwell::updates {

struct FetchLimits {
    std::chrono::milliseconds timeout{15000}; ///< for the whole transfer, redirects included
    qint64 maxBytes = 1024 * 1024;
};

/// Why the updater will not fetch from `url`, or nothing when it may: an address must use https;
/// plain http is accepted for a loopback IP address alone (a local test server).
std::optional<QString> refusedFeedAddress(const QUrl& url);

/// Fetches one update feed at a time over HTTPS, within a time and size limit, following redirects
/// only to addresses it would fetch from in the first place and never from https down to http.
/// Main thread only.
class AppcastFetcher : public QObject {
    Q_OBJECT
public:
    using Result = std::variant<QByteArray, AppcastError>;

    explicit AppcastFetcher(FetchLimits limits = {}, QObject* parent = nullptr);
    ~AppcastFetcher() override;

    /// Starts fetching `url`, cancelling a fetch in progress. `done` runs once, later, on the main
    /// thread, with the body or the reason it could not be had; never after cancel() or destruction.
    void fetch(const QUrl& url, std::function<void(Result)> done);
    void cancel();
    bool busy() const { return reply_ != nullptr; }

private:
    void request(const QUrl& url);
    /// Where a redirect answer leads when it may be followed; otherwise nothing, with `failure_`
    /// set when it was a redirect that may not.
    std::optional<QUrl> redirectTarget(const QNetworkReply& reply);
    void fail(const QString& reason);
    void finish();

    FetchLimits limits_;
    /// Left behind at destruction after an abandoned transfer: see the destructor.
    std::unique_ptr<QNetworkAccessManager> network_ = std::make_unique<QNetworkAccessManager>();
    int hops_ = 0; ///< redirects followed in this fetch
    bool startedSecure_ = false;
    bool abandoned_ = false; ///< a transfer was aborted while its data still came in
    QPointer<QNetworkReply> reply_;
    std::function<void(Result)> done_;
    std::optional<QString> failure_;
    QTimer deadline_;
    quint64 generation_ = 0; ///< counts fetches, so that a stale answer is recognised
};

} // namespace tintwell::updates
