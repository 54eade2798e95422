#pragma once

#include "platform/location_services.h"

#include <functional>
#include <optional>

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>

namespace tintwell::platform {

/// What a D-Bus error from GeoClue means for the attempt.
struct GeoClueErrorMeaning {
    /// The authorisation it reveals, when it is a refusal.
    std::optional<AuthorizationStatus> status;
    LocationError error;
};
/// `readingLocation`: the error came from reading a Location object, which GeoClue drops as soon as
/// a newer one replaces it.
GeoClueErrorMeaning interpretGeoClueError(const QDBusError& error, bool readingLocation);

/// The desktop's location service, GeoClue 2, over D-Bus: one client from the manager, identified
/// by the application id, asking for city accuracy. Every call is asynchronous.
///
/// Authorisation: GeoClue's own agent asks the user when a client first starts, so the status is
/// authorised until GeoClue refuses: `AccessDenied` from the agent makes it denied; a refusal by
/// configuration (location switched off, no agent allowed) makes it restricted. Asking again
/// (requestWhenInUseAuthorization) after a refusal makes it authorised once more, silently: the
/// next Start lets GeoClue and its agent decide anew.
class GeoClueLocationServices final : public LocationServices {
    Q_OBJECT
public:
    /// `bus` is the system bus in the application; tests hand in a private one.
    explicit GeoClueLocationServices(QDBusConnection bus = QDBusConnection::systemBus(),
                                     QObject* parent = nullptr);
    ~GeoClueLocationServices() override;

    AuthorizationStatus authorizationStatus() const override { return status_; }
    void requestWhenInUseAuthorization() override;
    void startUpdatingLocation() override;
    void stopUpdatingLocation() override;

private Q_SLOTS:
    void onLocationUpdated(const QDBusObjectPath& oldPath, const QDBusObjectPath& newPath);

private:
    using ReplyHandler = std::function<void(const QDBusMessage&)>;
    /// Sends `call`; `then` runs with the reply unless the attempt is over by then or it failed.
    void send(const QDBusMessage& call, ReplyHandler then, bool readingLocation = false);
    void onClient(const QDBusMessage& reply);
    void onLocation(const QDBusMessage& reply);
    void fail(const QDBusError& error, bool readingLocation);
    void report(const LocationError& error);
    void unsubscribe();
    void onServiceGone();

    QDBusConnection bus_;
    QDBusServiceWatcher serviceWatcher_;
    AuthorizationStatus status_ = AuthorizationStatus::AuthorizedAlways;
    unsigned attempt_ = 0; ///< counts starts and stops; replies of an earlier attempt are dropped
    bool active_ = false;
    QString clientPath_;
    bool subscribed_ = false;
};

} // namespace tintwell::platform
