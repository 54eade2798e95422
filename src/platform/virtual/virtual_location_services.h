#pragma once

#include "platform/location_services.h"

namespace tintwell::platform {

/// A location service driven by hand, for tests and for runs without a real one: it records what it
/// was asked to do and delivers only what a test tells it to.
class VirtualLocationServices final : public LocationServices {
    Q_OBJECT
public:
    explicit VirtualLocationServices(AuthorizationStatus status = AuthorizationStatus::NotDetermined,
                                     QObject* parent = nullptr);

    AuthorizationStatus authorizationStatus() const override { return status_; }
    void requestWhenInUseAuthorization() override { ++authorizationRequests; }
    void startUpdatingLocation() override;
    void stopUpdatingLocation() override;

    // Control interface for tests; each call reaches the delegate at once, on the caller's thread.
    /// Changes the status and tells the delegate.
    void changeAuthorization(AuthorizationStatus status);
    void deliver(const std::vector<Location>& locations);
    void fail(const LocationError& error);

    int authorizationRequests = 0;
    int starts = 0;
    int stops = 0;
    bool isUpdating() const { return updating_; }

private:
    AuthorizationStatus status_;
    bool updating_ = false;
};

} // namespace tintwell::platform
