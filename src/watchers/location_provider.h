#pragma once

#include "core/instant.h"
#include "platform/location_services.h"

#include <functional>
#include <optional>
#include <variant>

#include <QDateTime>
#include <QLoggingCategory>
#include <QObject>
#include <QTimer>

namespace tintwell::watchers {

/// "tintwell.location": the provider's messages and the application's handling of a fix.
Q_DECLARE_LOGGING_CATEGORY(lcLocation)

/// The location service reported an error other than a transient one.
struct FetchFatal {
    QString description; ///< the service's own sentence
    bool operator==(const FetchFatal&) const = default;
    bool operator<(const FetchFatal& other) const { return description < other.description; }
};
/// No fix arrived within the provider's time-out.
struct FetchTimedOut {
    bool operator==(const FetchTimedOut&) const = default;
    bool operator<(const FetchTimedOut&) const { return false; }
};
/// Why the last request failed. (The orderings exist only because Qt's meta-types ask for them.)
using FetchError = std::variant<FetchFatal, FetchTimedOut>;

/// The heading the interface shows above a failed request's text.
inline constexpr const char* fetchErrorHeading = "Couldn’t detect your location";
/// What the interface tells the user about a failed request.
QString userText(const FetchError& error);

/// Obtains one position fix on request, with a time-out, and hands it to a callback; publishes its
/// progress for the interface. It does not track the user: each request starts the service, takes
/// the first usable fix and stops the service again.
///
/// Lives on the main thread. The service may call its delegate methods from any thread; they only
/// read plain values there and hand them to the main thread. Every published property has a
/// `xxxChanged` signal, emitted on every assignment (equal values included).
class LocationProvider : public QObject, private platform::LocationServicesDelegate {
    Q_OBJECT
public:
    /// Latitude and longitude in degrees of an accepted fix.
    using FixHandler = std::function<void(double latitude, double longitude)>;
    static constexpr Seconds defaultPendingTimeout{15};

    /// Becomes `manager`'s delegate; `manager` must outlive the provider.
    LocationProvider(platform::LocationServices& manager, FixHandler onFix, QObject* parent = nullptr);
    ~LocationProvider() override;

    /// Starts, or restarts, a one-shot request.
    void requestOnce();
    /// Aborts a pending request; nothing when none is pending.
    void cancel();

    bool isFetching() const { return isFetching_; }
    /// System time (not the schedule's clock) at which the last fix was accepted.
    std::optional<QDateTime> lastFixAt() const { return lastFixAt_; }
    std::optional<FetchError> lastError() const { return lastError_; }
    platform::AuthorizationStatus authorizationStatus() const { return authorizationStatus_; }
    /// The status is restricted or denied.
    bool isDenied() const;
    /// The permission has been given: the status is neither undetermined nor denied.
    bool isAuthorized() const;
    /// Which service gave the last accepted fix ("approximate, from the time zone"…).
    std::optional<platform::LocationSource> lastFixSource() const { return lastFixSource_; }
    /// The whole last accepted fix; changes together with `lastFixAt`.
    const std::optional<platform::Location>& lastFix() const { return lastFix_; }

    /// Seconds a request waits for a fix; 15 unless a test shortens it.
    Seconds pendingTimeout() const { return pendingTimeout_; }
    void setPendingTimeout(Seconds timeout) { pendingTimeout_ = timeout; }

Q_SIGNALS:
    void isFetchingChanged(bool value);
    void lastFixAtChanged(std::optional<QDateTime> value);
    void lastErrorChanged(std::optional<tintwell::watchers::FetchError> value);
    void authorizationStatusChanged(tintwell::platform::AuthorizationStatus value);
    void isDeniedChanged(bool value);
    void lastFixSourceChanged(std::optional<tintwell::platform::LocationSource> value);

private:
    void locationManagerDidUpdateLocations(platform::LocationServices& manager,
                                           const std::vector<platform::Location>& locations) override;
    void locationManagerDidFailWithError(platform::LocationServices& manager,
                                         const platform::LocationError& error) override;
    void locationManagerDidChangeAuthorization(platform::LocationServices& manager) override;

    void handleFix(const platform::Location& location);
    void handleFailure(const platform::LocationError& error);
    void handleAuthorizationChange(platform::AuthorizationStatus status);
    void armTimeout();
    void timeoutFired();
    void cancelTimeout();

    void setPending(bool value);
    /// Ends the request with `error`, stored before either change is announced.
    void endWithError(FetchError error);
    void setLastError(std::optional<FetchError> value);
    void setAuthorizationStatus(platform::AuthorizationStatus value);

    platform::LocationServices& manager_;
    FixHandler onFix_;
    bool pending_ = false;
    bool isFetching_ = false;
    QTimer pendingTimeoutTask_;
    Seconds pendingTimeout_ = defaultPendingTimeout;
    std::optional<QDateTime> lastFixAt_;
    std::optional<FetchError> lastError_;
    platform::AuthorizationStatus authorizationStatus_;
    std::optional<platform::LocationSource> lastFixSource_;
    std::optional<platform::Location> lastFix_;
};

} // namespace tintwell::watchers
