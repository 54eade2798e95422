#include "app/cli/print_command.h"

#include "app/cli/user_settings.h"
#include "app/platform_backend.h"
#include "engine/gamma_controller.h"
#include "platform/instant_date_time.h"
#include "scheduling/tick_loop.h"
#include "settings/display_identity_cache.h"
#include "settings/display_lookup.h"
#include "watchers/app_exceptions_manager.h"
#include "watchers/display_windows.h"

#include <cmath>
#include <iomanip>

#include <QDateTime>
#include <QLoggingCategory>

#include <nlohmann/json.hpp>

namespace tintwell::app {
namespace {

std::string isoUtc(Instant t) {
    const QDateTime dt = platform::toDateTime(t);
    const bool wholeSecond = dt.time().msec() == 0;
    return dt.toString(wholeSecond ? "yyyy-MM-ddTHH:mm:ssZ" : "yyyy-MM-ddTHH:mm:ss.zzzZ").toStdString();
}

std::string localTime(Instant t) {
    return platform::toDateTime(t).toLocalTime().toString("yyyy-MM-dd HH:mm:ss t").toStdString();
}

} // namespace

Evaluation evaluate(const core::SchedulerCore::Input& input) {
    Evaluation e;
    e.latitude = input.latitude;
    e.longitude = input.longitude;
    e.time = input.now;
    e.sun = core::SolarEngine::position(input.latitude, input.longitude, input.now);
    e.output = core::SchedulerCore::decide(input);
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
        j["locationNeeded"] = e.locationNeeded;
        const auto* apply = std::get_if<core::SchedulerCore::Output::ApplyDecisions>(&e.output.action);
        j["action"] = apply ? "applyDecisions" : "restoreSystem";
        nlohmann::ordered_json displays = nlohmann::ordered_json::array();
        for (const auto& d : e.displays) {
            nlohmann::ordered_json display = {{"id", d.id}, {"name", d.name}};
            display["key"] = d.key ? nlohmann::ordered_json(*d.key) : nlohmann::ordered_json(nullptr);
            const core::Target* target = nullptr;
            if (apply)
                if (const auto it = apply->decisions.find(d.id); it != apply->decisions.end())
                    target = std::get_if<core::Target>(&it->second);
            display["decision"] = target ? nlohmann::ordered_json{{"kelvin", target->kelvin},
                                                                  {"brightness", target->brightness},
                                                                  {"gamma", target->gamma}}
                                         : nlohmann::ordered_json("native");
            displays.push_back(display);
        }
        j["displays"] = displays;
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
    const auto* apply = std::get_if<core::SchedulerCore::Output::ApplyDecisions>(&e.output.action);
    if (e.locationNeeded)
        out << "Location needed: every display shows its own calibration until a place is set (--locate "
               "--save, --set latitude=LAT longitude=LON, or the popup)\n";
    else if (!apply)
        out << "Paused:    every display shows its own calibration\n";
    for (const auto& d : e.displays) {
        out << "Display " << d.id << " (" << d.name << "): ";
        const core::Target* target = nullptr;
        if (apply)
            if (const auto it = apply->decisions.find(d.id); it != apply->decisions.end())
                target = std::get_if<core::Target>(&it->second);
        if (target)
            out << std::setprecision(0) << target->kelvin << " K, brightness " << std::setprecision(2)
                << target->brightness << ", gamma " << target->gamma << '\n';
        else
            out << "native colours\n";
    }
}

int runPrint(const CommandLine& cl, std::ostream& out) {
    // Without a display server the sun and the curve are still worth printing, for no displays.
    QString ignored;
    const PlatformOptions options{.keepTransferTablesOnExit = true};
    auto platform = createPlatformServices(cl.backend, options, &ignored);
    const auto noDisplays =
        platform ? std::nullopt
                 : createPlatformServices(Backend{Session::Kind::Virtual, 0}, options, &ignored);
    platform::DisplayServices& displays = platform ? *platform->displays : *noDisplays->displays;
    platform::WorkspaceServices* workspace = platform ? platform->workspace.get() : nullptr;

    SettingsLook look(cl);
    settings::AppState& state = look.state;

    // The same inputs the running application gathers on each tick; what the exceptions manager
    // tells the application's log is no part of this output.
    QLoggingCategory::setFilterRules(QStringLiteral("tintwell.exceptions.info=false"));
    watchers::AppExceptionsManager exceptions([&state] { return state.appExceptions(); }, workspace);
    exceptions.setDebounceInterval(Seconds::zero());
    if (workspace)
        if (const auto frontmost = workspace->frontmostApplication())
            exceptions.setFrontmost(frontmost->applicationId);
    exceptions.resolve();
    engine::GammaController gamma(displays);
    settings::DisplayIdentityCache identities(displays);
    scheduling::TickLoop loop(state, gamma, &exceptions, workspace, identities);
    loop.clock = std::make_shared<scheduling::FakeClock>(
        cl.at.value_or(instantFromSystemClock(std::chrono::system_clock::now())));
    loop.onlineDisplaysProvider = [&displays] { return displays.onlineDisplays(); };
    loop.displaysForPIDProvider = [&displays, workspace](platform::ProcessId pid) {
        return workspace ? watchers::displaysContainingWindows(*workspace, displays, pid)
                         : std::set<core::DisplayId>{};
    };

    const core::SchedulerCore::Input input = loop.currentInput();
    Evaluation e = evaluate(input);
    e.settingsFile = look.defaults->path();
    e.locationNeeded = !state.locationKnown();
    for (const core::DisplayId id : input.onlineDisplays) {
        const auto description = displays.describe(id);
        e.displays.push_back(
            {id, description ? description->name : settings::DisplayLookup(displays).displayName(id),
             description ? description->key : std::nullopt});
    }
    printEvaluation(e, cl.json, out);
    return 0;
}

} // namespace tintwell::app
