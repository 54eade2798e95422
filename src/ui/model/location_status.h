#pragma once

#include "core/instant.h"

#include <optional>

#include <QObject>

namespace tintwell::ui {

/// What the interface shows about the location service. The application keeps it in step with its
/// location provider; the popup only reads it.
class LocationStatus : public QObject {
    Q_OBJECT
public:
    enum class Error { None, TimedOut, Failed };
    enum class Authorization { NotDetermined, Denied, Authorized };
    enum class Source { None, LocationService, TimeZoneEstimate };

    using QObject::QObject;

    bool isFetching() const { return isFetching_; }
    std::optional<Instant> lastFixAt() const { return lastFixAt_; }
    Error lastError() const { return lastError_; }
    Authorization authorizationStatus() const { return authorization_; }
    bool isDenied() const { return authorization_ == Authorization::Denied; }
    Source lastFixSource() const { return source_; }

    void setFetching(bool fetching);
    void setLastFix(std::optional<Instant> at, Source source);
    void setLastError(Error error);
    void setAuthorizationStatus(Authorization status);

Q_SIGNALS:
    /// Any of the values above changed.
    void changed();

private:
    bool isFetching_ = false;
    std::optional<Instant> lastFixAt_;
    Error lastError_ = Error::None;
    Authorization authorization_ = Authorization::NotDetermined;
    Source source_ = Source::None;
};

/// A copy of what a LocationStatus says, for a screen that compares what it shows with what it
/// last showed.
struct LocationServiceState {
    using Error = LocationStatus::Error;
    bool isFetching = false;
    bool isDenied = false;
    Error lastError = Error::None;
    std::optional<Instant> lastFixAt;
    /// The last fix is the estimate from the time zone, not a measured position.
    bool lastFixApproximate = false;
    bool operator==(const LocationServiceState&) const = default;
};

LocationServiceState serviceStateOf(const LocationStatus& status);

} // namespace tintwell::ui
