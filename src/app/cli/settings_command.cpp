#include "app/cli/settings_command.h"

#include "app/cli/option_values.h"
#include "platform/instant_date_time.h"
#include "settings/app_state.h"
#include "settings/setting_ranges.h"
#include "updates/update_consent.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <variant>
#include <vector>

#include <QDateTime>

#include <nlohmann/json.hpp>

namespace tintwell::app {

using namespace tintwell::updates;
namespace {

using settings::AppState;
using settings::SettingRange;
using settings::UpdateConsent;
namespace ranges = settings::ranges;

using Parsed = std::variant<double, bool, std::optional<Instant>, std::string, UpdateConsent>;

enum class Kind { Number, Boolean, Time, Channel, Consent };

/// A scalar setting the command line can read and write. Numbers are held to the ranges the
/// settings screens allow, so the command line cannot store what the application never would.
struct Setting {
    const char* name;
    Kind kind;
    SettingRange range;
    std::function<Parsed(const AppState&)> get;
    std::function<void(AppState&, const Parsed&)> set;
};

template <class T>
std::function<void(AppState&, const Parsed&)> setter(void (AppState::*f)(T)) {
    return [f](AppState& s, const Parsed& v) { (s.*f)(std::get<std::decay_t<T>>(v)); };
}

const std::vector<Setting>& allSettings() {
    static const std::vector<Setting> table{
        {"dayKelvin", Kind::Number, ranges::dayKelvin,
         [](const AppState& s) -> Parsed { return s.dayKelvin(); }, setter(&AppState::setDayKelvin)},
        {"nightKelvin", Kind::Number, ranges::nightKelvin,
         [](const AppState& s) -> Parsed { return s.nightKelvin(); }, setter(&AppState::setNightKelvin)},
        {"transitionWidthDeg", Kind::Number, ranges::transitionWidthDeg,
         [](const AppState& s) -> Parsed { return s.transitionWidthDeg(); },
         setter(&AppState::setTransitionWidthDeg)},
        {"brightness", Kind::Number, ranges::brightness,
         [](const AppState& s) -> Parsed { return s.brightness(); }, setter(&AppState::setBrightness)},
        {"gamma", Kind::Number, ranges::gamma, [](const AppState& s) -> Parsed { return s.gamma(); },
         setter(&AppState::setGamma)},
        {"manualOverride",
         Kind::Boolean,
         {},
         [](const AppState& s) -> Parsed { return s.manualOverride(); },
         setter(&AppState::setManualOverride)},
        {"manualKelvin", Kind::Number, ranges::manualKelvin,
         [](const AppState& s) -> Parsed { return s.manualKelvin(); }, setter(&AppState::setManualKelvin)},
        {"manualOverrideUntil",
         Kind::Time,
         {},
         [](const AppState& s) -> Parsed { return s.manualOverrideUntil(); },
         setter(&AppState::setManualOverrideUntil)},
        {"paused",
         Kind::Boolean,
         {},
         [](const AppState& s) -> Parsed { return s.paused(); },
         setter(&AppState::setPaused)},
        {"useAutoLocation",
         Kind::Boolean,
         {},
         [](const AppState& s) -> Parsed { return s.useAutoLocation(); },
         setter(&AppState::setUseAutoLocation)},
        {"latitude", Kind::Number, ranges::latitude, [](const AppState& s) -> Parsed { return s.latitude(); },
         setter(&AppState::setLatitude)},
        {"longitude", Kind::Number, ranges::longitude,
         [](const AppState& s) -> Parsed { return s.longitude(); }, setter(&AppState::setLongitude)},
        {"updateChannel",
         Kind::Channel,
         {},
         [](const AppState& s) -> Parsed { return s.updateChannel(); },
         setter(&AppState::setUpdateChannel)},
        {"updateConsent",
         Kind::Consent,
         {},
         [](const AppState& s) -> Parsed { return s.updateConsent(); },
         setter(&AppState::setUpdateConsent)},
    };
    return table;
}

const Setting* findSetting(const QString& name) {
    for (const auto& s : allSettings())
        if (name == QLatin1String(s.name))
            return &s;
    return nullptr;
}

std::string knownNames() {
    std::string names;
    for (const auto& s : allSettings())
        names += (names.empty() ? "" : ", ") + std::string(s.name);
    return names;
}

std::string formatNumber(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string isoUtc(Instant t) {
    const QDateTime dt = platform::toDateTime(t);
    return dt.toString(dt.time().msec() == 0 ? "yyyy-MM-ddTHH:mm:ssZ" : "yyyy-MM-ddTHH:mm:ss.zzzZ")
        .toStdString();
}

std::string formatText(const Parsed& v) {
    if (const auto* d = std::get_if<double>(&v))
        return formatNumber(*d);
    if (const auto* b = std::get_if<bool>(&v))
        return *b ? "true" : "false";
    if (const auto* t = std::get_if<std::optional<Instant>>(&v))
        return *t ? isoUtc(**t) : "none";
    if (const auto* c = std::get_if<UpdateConsent>(&v))
        return settings::toString(*c);
    return std::get<std::string>(v);
}

nlohmann::ordered_json formatJson(const Parsed& v) {
    if (const auto* d = std::get_if<double>(&v))
        return *d;
    if (const auto* b = std::get_if<bool>(&v))
        return *b;
    if (const auto* t = std::get_if<std::optional<Instant>>(&v))
        return *t ? nlohmann::ordered_json(isoUtc(**t)) : nlohmann::ordered_json(nullptr);
    return formatText(v);
}

/// The value, or the one line that says why it is refused.
std::variant<Parsed, std::string> parseValue(const Setting& s, const QString& text) {
    const auto refuse = [&](const std::string& expected) { return refusalLine(s.name, text, {expected}); };
    switch (s.kind) {
    case Kind::Number: {
        const auto n = checkNumber(text, s.range.min, s.range.max);
        if (const auto* refusal = std::get_if<Refusal>(&n))
            return refuse(refusal->why);
        return Parsed(std::get<double>(n));
    }
    case Kind::Boolean:
        if (text == "true" || text == "1")
            return Parsed(true);
        if (text == "false" || text == "0")
            return Parsed(false);
        return refuse("expected true or false");
    case Kind::Time: {
        if (text == "none")
            return Parsed(std::optional<Instant>());
        const auto t = parseInstant(text);
        if (!t || secondsSinceEpoch(*t) <= 0)
            return refuse("expected ISO 8601 with a zone, such as 2024-06-21T22:00:00Z, or none");
        return Parsed(t);
    }
    case Kind::Channel:
        if (text == "stable" || text == "beta" || text == "dev")
            return Parsed(text.toStdString());
        return refuse("expected stable, beta or dev");
    case Kind::Consent:
        if (const auto c = settings::updateConsentFromString(text.toStdString()))
            return Parsed(*c);
        return refuse("expected undecided, allowed or declined");
    }
    return refuse("unsupported");
}

} // namespace

int runSet(const CommandLine& cl, settings::JsonFileUserDefaults& defaults, std::ostream& out,
           std::ostream& err) {
    (void)out;
    if (cl.assignments.isEmpty()) {
        err << "tintwell: --set needs at least one KEY=VALUE.\n";
        return 2;
    }
    std::vector<std::pair<const Setting*, Parsed>> pending;
    for (const QString& pair : cl.assignments) {
        const auto eq = pair.indexOf('=');
        if (eq <= 0) {
            err << "tintwell: " << refusalLine("assignment", pair, {"expected KEY=VALUE"}) << '\n';
            return 2;
        }
        const QString name = pair.left(eq);
        const Setting* s = findSetting(name);
        if (!s) {
            err << "tintwell: Unknown setting " << quoted(name) << "; known: " << knownNames() << ".\n";
            return 2;
        }
        auto parsed = parseValue(*s, pair.mid(eq + 1));
        if (const auto* why = std::get_if<std::string>(&parsed)) {
            err << "tintwell: " << *why << '\n';
            return 2;
        }
        pending.emplace_back(s, std::get<Parsed>(parsed));
    }

    AppState state(defaults);
    recordFirstStartConsent(state);
    for (const auto& [setting, value] : pending)
        setting->set(state, value);
    if (!defaults.lastWriteSucceeded()) {
        err << "tintwell: Could not save the settings: " << defaults.lastWriteError() << '\n';
        return 1;
    }
    return 0;
}

int runGet(const CommandLine& cl, settings::JsonFileUserDefaults& defaults, std::ostream& out,
           std::ostream& err) {
    std::vector<const Setting*> wanted;
    for (const QString& name : cl.keys) {
        const Setting* s = findSetting(name);
        if (!s) {
            err << "tintwell: Unknown setting " << quoted(name) << "; known: " << knownNames() << ".\n";
            return 2;
        }
        wanted.push_back(s);
    }
    if (wanted.empty())
        for (const auto& s : allSettings())
            wanted.push_back(&s);

    const AppState state(defaults);
    if (cl.json) {
        nlohmann::ordered_json j = nlohmann::ordered_json::object();
        for (const Setting* s : wanted)
            j[s->name] = formatJson(s->get(state));
        out << j.dump(2) << '\n';
    } else if (cl.keys.size() == 1) {
        out << formatText(wanted.front()->get(state)) << '\n';
    } else {
        for (const Setting* s : wanted)
            out << s->name << '=' << formatText(s->get(state)) << '\n';
    }
    return 0;
}

int runSet(const CommandLine& cl, std::ostream& out, std::ostream& err) {
    settings::JsonFileUserDefaults defaults;
    return runSet(cl, defaults, out, err);
}

int runGet(const CommandLine& cl, std::ostream& out, std::ostream& err) {
    // The user may be half-way through editing the file: a read-only look never moves it.
    settings::JsonFileUserDefaults defaults(settings::JsonFileUserDefaults::defaultPath(),
                                            settings::JsonFileUserDefaults::Access::ReadOnly);
    return runGet(cl, defaults, out, err);
}

} // namespace tintwell::app
