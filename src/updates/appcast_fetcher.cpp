#include "updates/appcast_fetcher.h"

#include <vector>

#include <QHostAddress>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>

namespace tintwell::updates {
namespace {

constexpr int kMaxRedirects = 5;

bool isLoopbackAddress(const QString& host) {
    // An IP literal only: a name such as "localhost" is whatever the resolver makes of it.
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

/// Qt's sentence as a phrase that continues ours: "Connection refused" → "connection refused".
QString asPhrase(QString text) {
    if (text.size() > 1 && text[0].isUpper() && text[1].isLower())
        text[0] = text[0].toLower();
    return text;
}

QString megabytes(qint64 bytes) {
    return QString::number(static_cast<double>(bytes) / (1024.0 * 1024.0), 'g', 3) + " MiB";
}

/// The server's refusal ("the server answered 404 Not Found"), when its answer is one.
std::optional<QString> refusalBy(const QNetworkReply& reply) {
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(); // 0: none
    if (status == 0 || (status >= 200 && status <= 299))
        return std::nullopt;
    const QString phrase = reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    return QString("the server answered %1 %2").arg(status).arg(phrase).trimmed();
}

/// Managers still busy with a transfer we gave up on, kept (and reachable) until the process ends.
std::vector<std::unique_ptr<QNetworkAccessManager>>& abandonedManagers() {
    static auto* kept = new std::vector<std::unique_ptr<QNetworkAccessManager>>;
    return *kept;
}

} // namespace

std::optional<QString> refusedFeedAddress(const QUrl& url) {
    if (!url.isValid() || url.host().isEmpty())
        return QString("the update feed address \"%1\" is not a valid address").arg(url.toString());
    if (url.scheme() == "https")
        return std::nullopt;
    if (url.scheme() == "http" && isLoopbackAddress(url.host()))
        return std::nullopt;
    return QString("the update feed address \"%1\" does not use https").arg(url.toString());
}

AppcastFetcher::AppcastFetcher(FetchLimits limits, QObject* parent) : QObject(parent), limits_(limits) {
    // Redirects are followed here, one request per hop: Qt's own following of a longer chain
    // ends with a status of 100 and no error, which says nothing of what went wrong.
    network_->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    deadline_.setSingleShot(true);
    deadline_.setTimerType(Qt::PreciseTimer); // a coarse timer may end the request early or late
    connect(&deadline_, &QTimer::timeout, this, [this] {
        fail(QString("no answer within %1 seconds")
                 .arg(std::chrono::duration<double>(limits_.timeout).count()));
    });
}

AppcastFetcher::~AppcastFetcher() {
    cancel();
    // The manager's network thread may still be busy with a transfer we gave up on (a server
    // streaming endless headers is read to its end there), and deleting the manager waits up to
    // five seconds for it: the deadline would not be the end of the request. Such a manager goes
    // with the process instead.
    if (abandoned_)
        abandonedManagers().push_back(std::move(network_));
}

void AppcastFetcher::fetch(const QUrl& url, std::function<void(Result)> done) {
    cancel();
    done_ = std::move(done);
    failure_.reset();
    hops_ = 0;
    startedSecure_ = url.scheme() == "https";
    if (const auto refused = refusedFeedAddress(url)) {
        // Answer later all the same, so callers see one order of events whatever the outcome.
        failure_ = refused;
        QTimer::singleShot(0, this, [this, generation = generation_] {
            if (generation == generation_)
                finish();
        });
        return;
    }
    deadline_.start(limits_.timeout); // one deadline for every hop
    request(url);
}

void AppcastFetcher::request(const QUrl& url) {
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setHeader(QNetworkRequest::UserAgentHeader, "Tintwell");
    QNetworkReply* reply = network_->get(request);
    reply_ = reply;
    connect(reply, &QNetworkReply::sslErrors, this, [this](const QList<QSslError>& errors) {
        // Not ignored: the reply fails; this only keeps the reason a person can act on.
        if (!errors.isEmpty() && !failure_)
            failure_ = "the server's certificate is not trusted (" + errors.first().errorString() + ")";
    });
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 received, qint64 total) {
        // A refusal's page is not the feed: its status is the reason, whatever the page's size.
        if (received > limits_.maxBytes || total > limits_.maxBytes)
            fail(refusalBy(*reply).value_or("the update feed is larger than " + megabytes(limits_.maxBytes)));
    });
    connect(reply, &QNetworkReply::finished, this, &AppcastFetcher::finish);
}

std::optional<QUrl> AppcastFetcher::redirectTarget(const QNetworkReply& reply) {
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QUrl location = reply.attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (status < 300 || status > 399 || !location.isValid())
        return std::nullopt;
    const QUrl target = reply.url().resolved(location);
    if (++hops_ > kMaxRedirects)
        failure_ = QString("too many redirects (more than %1)").arg(kMaxRedirects);
    else if (const auto refused = refusedFeedAddress(target))
        failure_ = "redirected: " + *refused;
    else if (startedSecure_ && target.scheme() != "https")
        failure_ = QString("redirected from https to the insecure address \"%1\"").arg(target.toString());
    else
        return target;
    return std::nullopt;
}

void AppcastFetcher::fail(const QString& reason) {
    if (!failure_)
        failure_ = reason;
    if (reply_) {
        abandoned_ = true;
        reply_->abort(); // finished follows, synchronously
    } else {
        finish();
    }
}

void AppcastFetcher::finish() {
    if (!done_)
        return;
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    if (reply) {
        reply->disconnect(this);
        reply->deleteLater();
    }
    if (reply && !failure_ && reply->error() == QNetworkReply::NoError)
        if (const auto target = redirectTarget(*reply))
            return request(*target);
    deadline_.stop();
    Result result = AppcastError{};
    if (failure_) {
        result = AppcastError{*failure_};
    } else if (const auto refusal = refusalBy(*reply)) {
        result = AppcastError{*refusal};
    } else if (reply->error() != QNetworkReply::NoError) {
        result = AppcastError{asPhrase(reply->errorString())};
    } else {
        QByteArray body = reply->read(limits_.maxBytes + 1);
        if (body.size() > limits_.maxBytes)
            result = AppcastError{"the update feed is larger than " + megabytes(limits_.maxBytes)};
        else
            result = std::move(body);
    }
    auto done = std::exchange(done_, nullptr);
    done(std::move(result));
}

void AppcastFetcher::cancel() {
    ++generation_;
    deadline_.stop();
    done_ = nullptr;
    if (QNetworkReply* reply = reply_) {
        abandoned_ = true;
        reply_ = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

} // namespace tintwell::updates
