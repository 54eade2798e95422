#include "app/cli/locate_command.h"

#include "app/platform_backend.h"
#include "settings/app_state.h"
#include "settings/json_file_user_defaults.h"
#include "watchers/location_provider.h"

#include <iomanip>

#include <QEventLoop>
#include <QLoggingCategory>
#include <QTimer>

#include <nlohmann/json.hpp>

namespace tintwell::app {
namespace {

using platform::AuthorizationStatus;

/// Why a finished request brought no fix, in one line.
QString reasonWithoutFix(const watchers::LocationProvider& provider) {
    if (const auto error = provider.lastError()) {
        if (const auto* fatal = std::get_if<watchers::FetchFatal>(&*error))
            return fatal->description;
        return QString("No location arrived within %1 seconds.").arg(provider.pendingTimeout().count());
    }
    switch (provider.authorizationStatus()) {
    case AuthorizationStatus::Denied:
        return "Location access for Tintwell was refused.";
    case AuthorizationStatus::Restricted:
        return "Location services are switched off for Tintwell by the system's configuration.";
    case AuthorizationStatus::NotDetermined:
        return "Permission to look up the location was not given in time.";
    default:
        return "No location was found.";
    }
}

} // namespace

int locate(platform::LocationServices& services, bool json, settings::AppState* saveTo, std::ostream& out,
           std::ostream& err) {
    watchers::LocationProvider provider(services, [saveTo](double latitude, double longitude) {
        if (saveTo) {
            saveTo->setLatitude(latitude);
            saveTo->setLongitude(longitude);
        }
    });
    QEventLoop loop;
    QObject::connect(&provider, &watchers::LocationProvider::isFetchingChanged, &loop,
                     [&loop](bool fetching) {
                         if (!fetching)
                             loop.quit();
                     });
    // A request waiting for permission has no time-out of its own; a command must end.
    QTimer::singleShot(std::chrono::round<std::chrono::milliseconds>(provider.pendingTimeout()) +
                           std::chrono::seconds(2),
                       &loop, &QEventLoop::quit);
    provider.requestOnce();
    if (provider.isFetching())
        loop.exec();
    provider.cancel();

    const auto& fix = provider.lastFix();
    if (!fix) {
        const QString reason = reasonWithoutFix(provider);
        if (json)
            out << nlohmann::ordered_json{{"error", reason.toStdString()}}.dump(2) << '\n';
        else
            err << "tintwell: " << reason.toStdString() << '\n';
        return 1;
    }
    const std::string source = platform::toString(fix->source).toStdString();
    if (json) {
        nlohmann::ordered_json j = {
            {"latitude", fix->latitude}, {"longitude", fix->longitude}, {"source", source}};
        j["accuracy"] = fix->accuracyMeters ? nlohmann::ordered_json(*fix->accuracyMeters) : nullptr;
        if (!fix->description.isEmpty())
            j["description"] = fix->description.toStdString();
        out << j.dump(2) << '\n';
        return 0;
    }
    out << std::fixed << std::setprecision(4);
    out << "Latitude:  " << fix->latitude << '\n';
    out << "Longitude: " << fix->longitude << '\n';
    out << "Source:    " << source;
    if (!fix->description.isEmpty())
        out << " (" << fix->description.toStdString() << ')';
    out << '\n';
    if (fix->accuracyMeters)
        out << "Accuracy:  " << std::setprecision(0) << *fix->accuracyMeters << " m\n";
    else if (fix->source == platform::LocationSource::TimeZone)
        out << "Accuracy:  approximate (the time zone's principal city)\n";
    else
        out << "Accuracy:  unknown\n";
    return 0;
}

int runLocate(const CommandLine& cl, std::ostream& out, std::ostream& err) {
    // The outcome is printed; the progress messages are for the running application's log and stay
    // available through QT_LOGGING_RULES.
    QLoggingCategory::setFilterRules("tintwell.location=false");
    const auto services = createSystemLocationServices();
    if (!cl.save)
        return locate(*services, cl.json, nullptr, out, err);
    settings::JsonFileUserDefaults defaults;
    settings::AppState state(defaults);
    return locate(*services, cl.json, &state, out, err);
}

} // namespace tintwell::app
