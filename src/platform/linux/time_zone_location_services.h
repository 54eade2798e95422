#pragma once

#include "platform/linux/time_zone_location.h"
#include "platform/location_services.h"

#include <QDBusConnection>

namespace tintwell::platform {

/// A location service that needs no network and no permission: the principal city of the system
/// time zone. The zone comes from `$TZ`, else the /etc/localtime link, else timedated.
class TimeZoneLocationServices final : public LocationServices {
    Q_OBJECT
public:
    struct Options {
        QString zoneinfoDirectory = systemZoneinfoDirectory;
        QString localtimePath = QStringLiteral("/etc/localtime");
        /// Where timedated is asked; the system bus in the application.
        QDBusConnection bus = QDBusConnection::systemBus();
    };

    explicit TimeZoneLocationServices(Options options, QObject* parent = nullptr);

    /// Always authorised: the time zone is no secret.
    AuthorizationStatus authorizationStatus() const override { return AuthorizationStatus::AuthorizedAlways; }
    void requestWhenInUseAuthorization() override {}
    /// Delivers one fix or one failure, always later through the event loop, never inside this call.
    void startUpdatingLocation() override;
    void stopUpdatingLocation() override { ++attempt_; }

private:
    void finish(unsigned attempt, const QString& zone);
    void fail(unsigned attempt, const QString& description);

    Options options_;
    unsigned attempt_ = 0; ///< counts starts and stops; replies of an earlier attempt are dropped
};

} // namespace tintwell::platform
