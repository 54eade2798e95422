#include "app/location_status_binding.h"

#include "platform/instant_date_time.h"
#include "ui/model/location_status.h"
#include "watchers/location_provider.h"

namespace tintwell::app {
namespace {

ui::LocationStatus::Authorization authorization(platform::AuthorizationStatus status) {
    switch (status) {
    case platform::AuthorizationStatus::NotDetermined:
        return ui::LocationStatus::Authorization::NotDetermined;
    case platform::AuthorizationStatus::Restricted:
    case platform::AuthorizationStatus::Denied:
        return ui::LocationStatus::Authorization::Denied;
    case platform::AuthorizationStatus::AuthorizedAlways:
    case platform::AuthorizationStatus::AuthorizedWhenInUse:
        break;
    }
    return ui::LocationStatus::Authorization::Authorized;
}

ui::LocationStatus::Source source(std::optional<platform::LocationSource> source) {
    if (!source)
        return ui::LocationStatus::Source::None;
    return *source == platform::LocationSource::TimeZone ? ui::LocationStatus::Source::TimeZoneEstimate
                                                         : ui::LocationStatus::Source::LocationService;
}

ui::LocationStatus::Error error(const std::optional<watchers::FetchError>& error) {
    if (!error)
        return ui::LocationStatus::Error::None;
    return std::holds_alternative<watchers::FetchTimedOut>(*error) ? ui::LocationStatus::Error::TimedOut
                                                                   : ui::LocationStatus::Error::Failed;
}

void copy(const watchers::LocationProvider& provider, ui::LocationStatus& status) {
    status.setAuthorizationStatus(authorization(provider.authorizationStatus()));
    const auto at = provider.lastFixAt();
    status.setLastFix(at ? std::optional(platform::toInstant(*at)) : std::nullopt,
                      source(provider.lastFixSource()));
    status.setLastError(error(provider.lastError()));
    status.setFetching(provider.isFetching());
}

} // namespace

void bindLocationStatus(watchers::LocationProvider& provider, ui::LocationStatus& status) {
    // The provider settles a whole result before announcing any part of it, so copying everything on
    // any announcement never mixes an old fix with a new error.
    const auto update = [&provider, &status] { copy(provider, status); };
    QObject::connect(&provider, &watchers::LocationProvider::isFetchingChanged, &status, update);
    QObject::connect(&provider, &watchers::LocationProvider::lastFixAtChanged, &status, update);
    QObject::connect(&provider, &watchers::LocationProvider::lastErrorChanged, &status, update);
    QObject::connect(&provider, &watchers::LocationProvider::authorizationStatusChanged, &status, update);
    QObject::connect(&provider, &watchers::LocationProvider::lastFixSourceChanged, &status, update);
    update();
}

} // namespace tintwell::app
