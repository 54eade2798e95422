#pragma once

#include <optional>
#include <vector>

#include <QObject>
#include <QString>

namespace tintwell::platform {

/// Whether the application may learn the user's location. The numeric values are the ones logged.
enum class AuthorizationStatus {
    NotDetermined = 0,       ///< the user has not been asked yet
    Restricted = 1,          ///< the service refuses every client (switched off by configuration)
    Denied = 2,              ///< the user refused this application
    AuthorizedAlways = 3,    ///< granted
    AuthorizedWhenInUse = 4, ///< granted
};

/// Which kind of service produced a fix.
enum class LocationSource {
    GeoClue,  ///< the desktop's location service
    TimeZone, ///< the principal city of the system time zone, offline
    Virtual,  ///< set by hand, for tests
};

/// "geoclue", "timezone" or "virtual": the form printed.
inline QString toString(LocationSource source) {
    switch (source) {
    case LocationSource::GeoClue:
        return QStringLiteral("geoclue");
    case LocationSource::TimeZone:
        return QStringLiteral("timezone");
    case LocationSource::Virtual:
        break;
    }
    return QStringLiteral("virtual");
}

/// One position fix.
struct Location {
    double latitude = 0;  ///< degrees, north positive
    double longitude = 0; ///< degrees, east positive
    /// Radius in metres within which the true position lies; nothing when the source cannot say.
    std::optional<double> accuracyMeters;
    LocationSource source = LocationSource::Virtual;
    QString description; ///< what the source says the place is (a time-zone name…); may be empty
    bool operator==(const Location&) const = default;
};

/// Why a fix attempt failed.
struct LocationError {
    enum class Kind {
        /// No fix yet, for a reason that may pass; the attempt goes on.
        Transient,
        /// The service is not installed or cannot be reached at all.
        Unavailable,
        /// Anything else; the attempt is over.
        Failed,
    };
    Kind kind = Kind::Failed;
    QString description; ///< one readable sentence
    bool operator==(const LocationError&) const = default;
};

class LocationServices;

/// Receives what a `LocationServices` finds. Calls may come from any thread.
class LocationServicesDelegate {
public:
    /// New fixes, oldest first; never empty.
    virtual void locationManagerDidUpdateLocations(LocationServices& manager,
                                                   const std::vector<Location>& locations) = 0;
    virtual void locationManagerDidFailWithError(LocationServices& manager, const LocationError& error) = 0;
    /// `manager.authorizationStatus()` holds the new status.
    virtual void locationManagerDidChangeAuthorization(LocationServices& manager) = 0;

protected:
    ~LocationServicesDelegate() = default;
};

/// The platform's location service, driven one fix attempt at a time.
class LocationServices : public QObject {
    Q_OBJECT
public:
    /// The accuracy to ask for: about a kilometre, enough for the sun and no closer.
    static constexpr double accuracyKilometer = 1000;

    using QObject::QObject;
    ~LocationServices() override = default;

    virtual AuthorizationStatus authorizationStatus() const = 0;
    /// Not owned; null for none. Told of every fix, failure and authorisation change.
    LocationServicesDelegate* delegate() const { return delegate_; }
    void setDelegate(LocationServicesDelegate* delegate) { delegate_ = delegate; }
    /// Metres.
    double desiredAccuracy() const { return desiredAccuracy_; }
    void setDesiredAccuracy(double meters) { desiredAccuracy_ = meters; }

    /// Asks the user for permission; the answer comes as an authorisation change.
    virtual void requestWhenInUseAuthorization() = 0;
    /// Begins looking for fixes; they, or failures, come through the delegate. Never blocks.
    virtual void startUpdatingLocation() = 0;
    /// Stops looking; nothing more is delivered for the attempt stopped.
    virtual void stopUpdatingLocation() = 0;

private:
    LocationServicesDelegate* delegate_ = nullptr;
    double desiredAccuracy_ = accuracyKilometer;
};

} // namespace tintwell::platform
