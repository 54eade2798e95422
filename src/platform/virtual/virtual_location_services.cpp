#include "platform/virtual/virtual_location_services.h"

namespace tintwell::platform {

VirtualLocationServices::VirtualLocationServices(AuthorizationStatus status, QObject* parent)
    : LocationServices(parent), status_(status) {}

void VirtualLocationServices::startUpdatingLocation() {
    ++starts;
    updating_ = true;
}

void VirtualLocationServices::stopUpdatingLocation() {
    ++stops;
    updating_ = false;
}

void VirtualLocationServices::changeAuthorization(AuthorizationStatus status) {
    status_ = status;
    if (auto* d = delegate())
        d->locationManagerDidChangeAuthorization(*this);
}

void VirtualLocationServices::deliver(const std::vector<Location>& locations) {
    if (auto* d = delegate())
        d->locationManagerDidUpdateLocations(*this, locations);
}

void VirtualLocationServices::fail(const LocationError& error) {
    if (auto* d = delegate())
        d->locationManagerDidFailWithError(*this, error);
}

} // namespace tintwell::platform
