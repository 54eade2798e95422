#pragma once

#include "platform/location_services.h"

#include <memory>

namespace tintwell::platform {

/// A location service that stands in for another one when that one cannot be reached at all: each
/// attempt goes to the preferred service first and moves to the fallback only when the preferred
/// one reports itself unavailable. Authorisation is the preferred service's.
class FallbackLocationServices final : public LocationServices, private LocationServicesDelegate {
    Q_OBJECT
public:
    FallbackLocationServices(std::unique_ptr<LocationServices> preferred,
                             std::unique_ptr<LocationServices> fallback, QObject* parent = nullptr);
    ~FallbackLocationServices() override;

    AuthorizationStatus authorizationStatus() const override { return preferred_->authorizationStatus(); }
    void requestWhenInUseAuthorization() override { preferred_->requestWhenInUseAuthorization(); }
    void startUpdatingLocation() override;
    void stopUpdatingLocation() override;

private:
    void locationManagerDidUpdateLocations(LocationServices& manager,
                                           const std::vector<Location>& locations) override;
    void locationManagerDidFailWithError(LocationServices& manager, const LocationError& error) override;
    void locationManagerDidChangeAuthorization(LocationServices& manager) override;

    std::unique_ptr<LocationServices> preferred_;
    std::unique_ptr<LocationServices> fallback_;
    LocationServices* current_ = nullptr; ///< the one running the attempt; null between attempts
};

/// GeoClue on the system bus, with the time zone's principal city when GeoClue cannot be reached.
std::unique_ptr<LocationServices> createLinuxLocationServices();

} // namespace tintwell::platform
