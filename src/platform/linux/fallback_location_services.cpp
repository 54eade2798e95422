#include "platform/linux/fallback_location_services.h"

#include "platform/linux/geoclue_location_services.h"
#include "platform/linux/location_logging.h"
#include "platform/linux/time_zone_location_services.h"

namespace tintwell::platform {

FallbackLocationServices::FallbackLocationServices(std::unique_ptr<LocationServices> preferred,
                                                   std::unique_ptr<LocationServices> fallback,
                                                   QObject* parent)
    : LocationServices(parent), preferred_(std::move(preferred)), fallback_(std::move(fallback)) {
    preferred_->setDelegate(this);
    fallback_->setDelegate(this);
}

FallbackLocationServices::~FallbackLocationServices() {
    preferred_->setDelegate(nullptr);
    fallback_->setDelegate(nullptr);
}

void FallbackLocationServices::startUpdatingLocation() {
    if (current_)
        current_->stopUpdatingLocation();
    // Every attempt tries the preferred service again: it may have been installed or started since.
    current_ = preferred_.get();
    preferred_->setDesiredAccuracy(desiredAccuracy());
    preferred_->startUpdatingLocation();
}

void FallbackLocationServices::stopUpdatingLocation() {
    if (auto* running = std::exchange(current_, nullptr))
        running->stopUpdatingLocation();
}

void FallbackLocationServices::locationManagerDidUpdateLocations(LocationServices& manager,
                                                                 const std::vector<Location>& locations) {
    if (&manager == current_ && delegate())
        delegate()->locationManagerDidUpdateLocations(*this, locations);
}

void FallbackLocationServices::locationManagerDidFailWithError(LocationServices& manager,
                                                               const LocationError& error) {
    if (&manager != current_)
        return;
    if (&manager == preferred_.get() && error.kind == LocationError::Kind::Unavailable) {
        qCInfo(lcLocationServices).noquote() << error.description + "; estimating from the time zone instead";
        current_ = fallback_.get();
        fallback_->setDesiredAccuracy(desiredAccuracy());
        fallback_->startUpdatingLocation();
        return;
    }
    if (error.kind != LocationError::Kind::Transient)
        current_ = nullptr;
    if (delegate())
        delegate()->locationManagerDidFailWithError(*this, error);
}

void FallbackLocationServices::locationManagerDidChangeAuthorization(LocationServices& manager) {
    if (&manager == preferred_.get() && delegate())
        delegate()->locationManagerDidChangeAuthorization(*this);
}

std::unique_ptr<LocationServices> createLinuxLocationServices() {
    return std::make_unique<FallbackLocationServices>(
        std::make_unique<GeoClueLocationServices>(),
        std::make_unique<TimeZoneLocationServices>(TimeZoneLocationServices::Options{}));
}

} // namespace tintwell::platform
