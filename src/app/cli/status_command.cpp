#include "app/cli/status_command.h"

#include "app/cli/instance_answer.h"

#include <iomanip>

#include <nlohmann/json.hpp>

namespace tintwell::app {

int runStatus(const CommandLine& cl, std::ostream& out, std::ostream& err) {
    const auto answer = readApplicationStatus();
    const ApplicationStatus* status = instanceAnswer(answer, err);
    if (!status)
        return 1;
    const auto& v = *status;
    const double kelvin = v.currentKelvin;
    const double altitude = v.currentAltitude;
    const std::string profile = v.activeProfile.toStdString();
    const std::string exception = v.activeException.toStdString();
    const bool paused = v.paused;
    const bool manual = v.manualOverride;

    if (cl.json) {
        const nlohmann::json j = {
            {"currentKelvin", kelvin},
            {"currentAltitude", altitude},
            {"activeProfile", profile},
            {"activeException", exception.empty() ? nlohmann::json() : nlohmann::json(exception)},
            {"paused", paused},
            {"manualOverride", manual},
            {"locationNeeded", v.locationNeeded},
            {"backend", v.backend.toStdString()}};
        out << j.dump(2) << '\n';
        return 0;
    }
    out << std::fixed;
    out << "Kelvin:    " << std::setprecision(0) << kelvin << " K\n";
    out << "Sun:       altitude " << std::setprecision(2) << altitude << "°\n";
    out << "Profile:   " << profile << '\n';
    out << "Exception: " << (exception.empty() ? "none" : exception) << '\n';
    out << "Paused:    " << (paused ? "yes" : "no") << '\n';
    out << "Manual:    " << (manual ? "on" : "off") << '\n';
    if (v.locationNeeded)
        out << "Location:  needed (the displays keep their calibration until one is set)\n";
    out << "Backend:   " << v.backend.toStdString() << '\n';
    return 0;
}

} // namespace tintwell::app
