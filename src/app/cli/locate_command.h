#pragma once

#include "app/cli/command_line.h"
#include "platform/location_services.h"

#include <ostream>

namespace tintwell::settings {
class AppState;
}

namespace tintwell::app {

/// One location request with the provider's time-out over `services`; prints the fix (latitude,
/// longitude, source, accuracy) or the reason there is none, and stores the fix in `saveTo` when
/// given. Returns the exit status: 0 with a fix, 1 without.
int locate(platform::LocationServices& services, bool json, settings::AppState* saveTo, std::ostream& out,
           std::ostream& err);

/// `--locate`: GeoClue, else the time zone's principal city.
int runLocate(const CommandLine& cl, std::ostream& out, std::ostream& err);

} // namespace tintwell::app
