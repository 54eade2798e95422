#include "app/print_command.h"

#include "settings/app_state.h"
#include "settings/json_file_user_defaults.h"

#include <cmath>
#include <iomanip>

#include <QDateTime>
#include <QTimeZone>

#include <nlohmann/json.hpp>

namespace tintwell::app {
namespace {

QDateTime toDateTime(Instant t) {
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::llround(secondsSinceEpoch(t) * 1000.0)),
                                          QTimeZone::utc());
}

std::string isoUtc(Instant t) {
    const QDateTime dt = toDateTime(t);
    const bool wholeSecond = dt.time().msec() == 0;
    return dt.toString(wholeSecond ? "yyyy-MM-ddTHH:mm:ssZ" : "yyyy-MM-ddTHH:mm:ss.zzzZ").toStdString();
}

std::string localTime(Instant t) {
    return toDateTime(t).toLocalTime().toString("yyyy-MM-dd HH:mm:ss t").toStdString();
}

} // namespace

Evaluation evaluate(const scheduling::SchedulerCore::Input& input) {
    Evaluation e;
    e.latitude = input.latitude;
    e.longitude = input.longitude;
    e.time = input.now;
    e.sun = engine::SolarEngine::position(input.latitude, input.longitude, input.now);
    e.output = scheduling::SchedulerCore::decide(input);
    return e;
}

void printEvaluation(const Evaluation& e, bool json, std::ostream& out) {
    if (json) {
        nlohmann::ordered_json j = {{"latitude", e.latitude},
                                    {"longitude", e.longitude},
                                    {"time", isoUtc(e.time)},
                                    {"altitude", e.sun.altitude},
                                    {"azimuth", e.sun.azimuth},
                                    {"curveKelvin", e.output.curveKelvin},
                                    {"nextIntervalSec", e.output.nextIntervalSec}};
        if (!e.settingsFile.empty())
            j["settingsFile"] = e.settingsFile;
        out << j.dump(2) << '\n';
        return;
    }
    out << std::fixed;
    out << "Location:  " << std::setprecision(4) << e.latitude << ", " << e.longitude << '\n';
    out << "Time:      " << isoUtc(e.time) << " (local " << localTime(e.time) << ")\n";
    out << "Sun:       altitude " << std::setprecision(2) << e.sun.altitude << "°, azimuth " << e.sun.azimuth
        << "°\n";
    out << "Kelvin:    " << std::setprecision(0) << e.output.curveKelvin << " K\n";
    out << "Next evaluation in " << std::setprecision(0) << e.output.nextIntervalSec << " s\n";
    if (!e.settingsFile.empty())
        out << "Settings:  " << e.settingsFile << '\n';
}

int runPrint(const CommandLine& cl, std::ostream& out) {
    settings::JsonFileUserDefaults defaults;
    const settings::AppState state(defaults);
    scheduling::SchedulerCore::Input input;
    input.now = cl.at.value_or(instantFromSystemClock(std::chrono::system_clock::now()));
    const GeoLocation where = cl.location.value_or(GeoLocation{state.latitude(), state.longitude()});
    input.latitude = where.latitude;
    input.longitude = where.longitude;
    input.dayKelvin = state.dayKelvin();
    input.nightKelvin = state.nightKelvin();
    input.transitionWidthDeg = state.transitionWidthDeg();
    input.brightness = state.brightness();
    input.gamma = state.gamma();
    input.manualOverride = state.manualOverride();
    input.manualKelvin = state.manualKelvin();
    input.manualOverrideUntil = state.manualOverrideUntil();
    input.paused = state.paused();
    Evaluation e = evaluate(input);
    e.settingsFile = defaults.path();
    printEvaluation(e, cl.json, out);
    return 0;
}

} // namespace tintwell::app
