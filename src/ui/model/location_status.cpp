#include "ui/model/location_status.h"

namespace tintwell::ui {

void LocationStatus::setFetching(bool fetching) {
    isFetching_ = fetching;
    Q_EMIT changed();
}

void LocationStatus::setLastFix(std::optional<Instant> at, Source source) {
    lastFixAt_ = at;
    source_ = source;
    Q_EMIT changed();
}

void LocationStatus::setLastError(Error error) {
    lastError_ = error;
    Q_EMIT changed();
}

void LocationStatus::setAuthorizationStatus(Authorization status) {
    authorization_ = status;
    Q_EMIT changed();
}

LocationServiceState serviceStateOf(const LocationStatus& status) {
    return {status.isFetching(), status.isDenied(), status.lastError(), status.lastFixAt(),
            status.lastFixSource() == LocationStatus::Source::TimeZoneEstimate};
}

} // namespace tintwell::ui
