#include "watchers/location_provider.h"

#include <cmath>

#include <QMetaObject>

namespace tintwell::watchers {

Q_LOGGING_CATEGORY(lcLocation, "tintwell.location", QtInfoMsg)

namespace {

using platform::AuthorizationStatus;

bool deniedOrRestricted(AuthorizationStatus status) {
    return status == AuthorizationStatus::Denied || status == AuthorizationStatus::Restricted;
}

const char* flag(bool value) {
    return value ? "true" : "false";
}

} // namespace

QString userText(const FetchError& error) {
    if (std::holds_alternative<FetchTimedOut>(error))
        return QStringLiteral(
            "GeoClue uses Wi-Fi for positioning. Make sure Wi-Fi is on, or enter coordinates manually.");
    return QStringLiteral("Location services returned an error. Try again, or enter coordinates manually.");
}

LocationProvider::LocationProvider(platform::LocationServices& manager, FixHandler onFix, QObject* parent)
    : QObject(parent), manager_(manager), onFix_(std::move(onFix)),
      authorizationStatus_(manager.authorizationStatus()) {
    pendingTimeoutTask_.setSingleShot(true);
    // A coarse timer may fire up to 5 % early.
    pendingTimeoutTask_.setTimerType(Qt::PreciseTimer);
    connect(&pendingTimeoutTask_, &QTimer::timeout, this, &LocationProvider::timeoutFired);
    manager_.setDelegate(this);
    manager_.setDesiredAccuracy(platform::LocationServices::accuracyKilometer);
    qCInfo(lcLocation, "LocationProvider init authorizationStatus=%d delegateWired=%s",
           int(authorizationStatus_), flag(manager_.delegate() == this));
}

LocationProvider::~LocationProvider() {
    if (manager_.delegate() == this)
        manager_.setDelegate(nullptr);
}

bool LocationProvider::isDenied() const {
    return deniedOrRestricted(authorizationStatus_);
}

bool LocationProvider::isAuthorized() const {
    return authorizationStatus_ != AuthorizationStatus::NotDetermined && !isDenied();
}

void LocationProvider::requestOnce() {
    setLastError(std::nullopt);
    setPending(true);
    const AuthorizationStatus status = manager_.authorizationStatus();
    qCInfo(lcLocation, "requestOnce status=%d", int(status));
    // The service may have changed its answer without a word (a refusal asked again): what it says
    // now is what the interface shows.
    if (status != authorizationStatus_)
        setAuthorizationStatus(status);
    if (deniedOrRestricted(status)) {
        setPending(false);
    } else if (status == AuthorizationStatus::NotDetermined) {
        manager_.requestWhenInUseAuthorization();
    } else {
        manager_.startUpdatingLocation();
        armTimeout();
    }
}

void LocationProvider::cancel() {
    if (!pending_)
        return;
    qCInfo(lcLocation, "cancel: aborting in-flight location request");
    manager_.stopUpdatingLocation();
    cancelTimeout();
    setPending(false);
    setLastError(std::nullopt);
}

// The three delegate entry points may run on any thread: they copy what they need and queue the
// work on this object, which drops it if the provider is gone by then.
void LocationProvider::locationManagerDidUpdateLocations(platform::LocationServices&,
                                                         const std::vector<platform::Location>& locations) {
    if (locations.empty())
        return;
    QMetaObject::invokeMethod(
        this, [this, last = locations.back()] { handleFix(last); }, Qt::QueuedConnection);
}

void LocationProvider::locationManagerDidFailWithError(platform::LocationServices&,
                                                       const platform::LocationError& error) {
    QMetaObject::invokeMethod(
        this, [this, error] { handleFailure(error); }, Qt::QueuedConnection);
}

void LocationProvider::locationManagerDidChangeAuthorization(platform::LocationServices& manager) {
    QMetaObject::invokeMethod(
        this, [this, status = manager.authorizationStatus()] { handleAuthorizationChange(status); },
        Qt::QueuedConnection);
}

void LocationProvider::handleFix(const platform::Location& location) {
    qCInfo(lcLocation, "handleFix lat=%f lon=%f pending=%s", location.latitude, location.longitude,
           flag(pending_));
    if (!pending_)
        return;
    // Everything is stored before anything is announced, so that a listener to any one signal reads
    // the whole outcome.
    pending_ = isFetching_ = false;
    lastFix_ = location;
    lastFixAt_ = QDateTime::currentDateTimeUtc();
    lastFixSource_ = location.source;
    lastError_.reset();
    Q_EMIT isFetchingChanged(false);
    Q_EMIT lastFixAtChanged(lastFixAt_);
    Q_EMIT lastFixSourceChanged(lastFixSource_);
    Q_EMIT lastErrorChanged(lastError_);
    cancelTimeout();
    manager_.stopUpdatingLocation();
    if (onFix_)
        onFix_(location.latitude, location.longitude);
}

void LocationProvider::handleFailure(const platform::LocationError& error) {
    if (error.kind == platform::LocationError::Kind::Transient) {
        qCInfo(lcLocation, "locationUnknown (transient); keeping pending, awaiting next location event");
        return;
    }
    qCWarning(lcLocation, "handleFailure %s", qUtf8Printable(error.description));
    cancelTimeout();
    manager_.stopUpdatingLocation();
    endWithError(FetchFatal{error.description});
}

void LocationProvider::handleAuthorizationChange(AuthorizationStatus status) {
    setAuthorizationStatus(status);
    if (!pending_)
        return;
    if (deniedOrRestricted(status)) {
        setPending(false);
        cancelTimeout();
    } else if (status != AuthorizationStatus::NotDetermined) {
        manager_.startUpdatingLocation();
        armTimeout();
    }
}

void LocationProvider::armTimeout() {
    pendingTimeoutTask_.stop();
    pendingTimeoutTask_.start(std::max(std::chrono::milliseconds::zero(),
                                       std::chrono::round<std::chrono::milliseconds>(pendingTimeout_)));
}

void LocationProvider::timeoutFired() {
    if (!pending_)
        return;
    qCWarning(lcLocation, "pending fix timed out after %fs; stopping updates and clearing pending",
              pendingTimeout_.count());
    manager_.stopUpdatingLocation();
    endWithError(FetchTimedOut{});
}

void LocationProvider::endWithError(FetchError error) {
    pending_ = isFetching_ = false;
    lastError_ = std::move(error);
    Q_EMIT isFetchingChanged(false);
    Q_EMIT lastErrorChanged(lastError_);
}

void LocationProvider::cancelTimeout() {
    pendingTimeoutTask_.stop();
}

void LocationProvider::setPending(bool value) {
    pending_ = value;
    isFetching_ = value;
    Q_EMIT isFetchingChanged(value);
}

void LocationProvider::setLastError(std::optional<FetchError> value) {
    lastError_ = std::move(value);
    Q_EMIT lastErrorChanged(lastError_);
}

void LocationProvider::setAuthorizationStatus(AuthorizationStatus value) {
    authorizationStatus_ = value;
    Q_EMIT authorizationStatusChanged(value);
    Q_EMIT isDeniedChanged(isDenied());
}

} // namespace tintwell::watchers
