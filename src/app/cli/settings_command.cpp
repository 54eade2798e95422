#include "app/cli/settings_command.h"

#include "app/cli/option_values.h"
#include "app/cli/user_settings.h"
#include "platform/instant_date_time.h"
#include "settings/app_state.h"
#include "settings/autostart_entry.h"
#include "updates/update_consent.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <variant>
#include <vector>

#include <QDateTime>

#include <nlohmann/json.hpp>

namespace tintwell::app {

using namespace tintwell::updates;
namespace {

using settings::AppState;
using settings::UpdateConsent;
using Parsed = settings::SettingValue;
using core::SettingType;

/// The setting the command line knows by `name`. Numbers are held to the ranges the settings
/// screens allow, so the command line cannot store what the application never would.
std::optional<core::SettingId> findSetting(const QString& name) {
    for (std::size_t i = 0; i < core::settingRows.size(); ++i) {
        const auto& row = core::settingRows[i];
        if (row.onCommandLine() && name == QLatin1String(row.name.data(), qsizetype(row.name.size())))
            return core::SettingId(i);
    }
    return std::nullopt;
}

std::vector<core::SettingId> commandLineSettings() {
    std::vector<core::SettingId> all;
    for (std::size_t i = 0; i < core::settingRows.size(); ++i)
        if (core::settingRows[i].onCommandLine())
            all.emplace_back(i);
    return all;
}

std::string knownNames() {
    std::string names;
    for (const core::SettingId id : commandLineSettings())
        names += (names.empty() ? "" : ", ") + std::string(id.row().name);
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
std::variant<Parsed, std::string> parseValue(const core::SettingRow& s, const QString& text) {
    const auto refuse = [&](const std::string& expected) { return refusalLine(s.name, text, {expected}); };
    switch (s.type) {
    case SettingType::Number: {
        const auto n = checkNumber(text, s.range.min, s.range.max);
        if (const auto* refusal = std::get_if<Refusal>(&n))
            return refuse(refusal->why);
        return Parsed(std::get<double>(n));
    }
    case SettingType::Boolean:
        if (text == "true" || text == "1")
            return Parsed(true);
        if (text == "false" || text == "0")
            return Parsed(false);
        return refuse("expected true or false");
    case SettingType::InstantOrNone: {
        if (text == "none")
            return Parsed(std::optional<Instant>());
        const auto t = parseInstant(text);
        if (!t || secondsSinceEpoch(*t) <= 0)
            return refuse("expected ISO 8601 with a zone, such as 2024-06-21T22:00:00Z, or none");
        return Parsed(t);
    }
    case SettingType::ChannelText:
        if (text == "stable" || text == "beta" || text == "dev")
            return Parsed(text.toStdString());
        return refuse("expected stable, beta or dev");
    case SettingType::Consent:
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
    std::vector<std::pair<core::SettingId, Parsed>> pending;
    for (const QString& pair : cl.assignments) {
        const auto eq = pair.indexOf('=');
        if (eq <= 0) {
            err << "tintwell: " << refusalLine("assignment", pair, {"expected KEY=VALUE"}) << '\n';
            return 2;
        }
        const QString name = pair.left(eq);
        const auto s = findSetting(name);
        if (!s) {
            err << "tintwell: Unknown setting " << quoted(name) << "; known: " << knownNames() << ".\n";
            return 2;
        }
        auto parsed = parseValue(s->row(), pair.mid(eq + 1));
        if (const auto* why = std::get_if<std::string>(&parsed)) {
            err << "tintwell: " << *why << '\n';
            return 2;
        }
        pending.emplace_back(*s, std::get<Parsed>(parsed));
    }

    AppState state(defaults);
    state.useAutostartEntry(std::make_unique<settings::AutostartEntry>());
    recordFirstStartConsent(state);
    for (const auto& [setting, value] : pending)
        state.setValue(setting, value);
    if (!defaults.lastWriteSucceeded()) {
        err << "tintwell: Could not save the settings: " << defaults.lastWriteError() << '\n';
        return 1;
    }
    if (const auto& failed = state.autostartError()) {
        err << "tintwell: " << *failed << '\n';
        return 1;
    }
    return 0;
}

int runGet(const CommandLine& cl, settings::JsonFileUserDefaults& defaults, std::ostream& out,
           std::ostream& err) {
    std::vector<core::SettingId> wanted;
    for (const QString& name : cl.keys) {
        const auto s = findSetting(name);
        if (!s) {
            err << "tintwell: Unknown setting " << quoted(name) << "; known: " << knownNames() << ".\n";
            return 2;
        }
        wanted.push_back(*s);
    }
    if (wanted.empty())
        wanted = commandLineSettings();

    AppState state(defaults);
    state.useAutostartEntry(std::make_unique<settings::AutostartEntry>());
    if (cl.json) {
        nlohmann::ordered_json j = nlohmann::ordered_json::object();
        for (const core::SettingId s : wanted)
            j[std::string(s.row().name)] = formatJson(state.value(s));
        out << j.dump(2) << '\n';
    } else if (cl.keys.size() == 1) {
        out << formatText(state.value(wanted.front())) << '\n';
    } else {
        for (const core::SettingId s : wanted)
            out << s.row().name << '=' << formatText(state.value(s)) << '\n';
    }
    return 0;
}

int runSet(const CommandLine& cl, std::ostream& out, std::ostream& err) {
    return runSet(cl, *writableDefaults(), out, err);
}

int runGet(const CommandLine& cl, std::ostream& out, std::ostream& err) {
    return runGet(cl, *readOnlyDefaults(), out, err);
}

} // namespace tintwell::app
