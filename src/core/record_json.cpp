#include "core/record_json.h"

namespace tintwell::core {
namespace {

using nlohmann::json;

const json& member(const json& j, const char* name) {
    if (!j.is_object())
        throw DecodingError("Expected an object while looking for \"" + std::string(name) + "\".");
    const auto it = j.find(name);
    if (it == j.end())
        throw DecodingError("No value associated with key \"" + std::string(name) + "\".");
    return *it;
}

double number(const json& j, const char* name) {
    const json& v = member(j, name);
    if (!v.is_number())
        throw DecodingError("Expected a number for \"" + std::string(name) + "\".");
    return v.get<double>();
}

std::string string(const json& j, const char* name) {
    const json& v = member(j, name);
    if (!v.is_string())
        throw DecodingError("Expected a string for \"" + std::string(name) + "\".");
    return v.get<std::string>();
}

bool boolean(const json& j, const char* name) {
    const json& v = member(j, name);
    if (!v.is_boolean())
        throw DecodingError("Expected a Boolean for \"" + std::string(name) + "\".");
    return v.get<bool>();
}

} // namespace

namespace {

// Profiles and display settings carry the same six values under the same member names.
template <class Record>
void writeProfileValues(json& j, const Record& r) {
    j["dayKelvin"] = r.dayKelvin;
    j["nightKelvin"] = r.nightKelvin;
    j["transitionWidthDeg"] = r.transitionWidthDeg;
    j["brightness"] = r.brightness;
    j["gamma"] = r.gamma;
    j["manualKelvin"] = r.manualKelvin;
}

template <class Record>
void readProfileValues(const json& j, Record& r) {
    r.dayKelvin = number(j, "dayKelvin");
    r.nightKelvin = number(j, "nightKelvin");
    r.transitionWidthDeg = number(j, "transitionWidthDeg");
    r.brightness = number(j, "brightness");
    r.gamma = number(j, "gamma");
    r.manualKelvin = number(j, "manualKelvin");
}

} // namespace

void to_json(json& j, const DisplaySettings& s) {
    j = json::object();
    writeProfileValues(j, s);
}

void from_json(const json& j, DisplaySettings& s) {
    readProfileValues(j, s);
}

void to_json(json& j, const Profile& p) {
    j = json{{"id", p.id.toString()}, {"name", p.name}};
    writeProfileValues(j, p);
}

void from_json(const json& j, Profile& p) {
    const auto id = Uuid::parse(string(j, "id"));
    if (!id)
        throw DecodingError("Attempted to decode UUID from invalid UUID string.");
    p.id = *id;
    p.name = string(j, "name");
    readProfileValues(j, p);
}

void to_json(json& j, const AppExceptionAction& a) {
    if (const auto* force = std::get_if<ForceKelvin>(&a))
        j = json{{"forceKelvin", {{"_0", force->kelvin}}}};
    else
        j = json{{"disable", json::object()}};
}

void from_json(const json& j, AppExceptionAction& a) {
    if (!j.is_object())
        throw DecodingError("Expected an object for an exception action.");
    if (j.size() != 1)
        throw DecodingError("Invalid number of keys found, expected one.");
    const auto only = j.begin();
    const std::string& name = only.key();
    const json& payload = only.value();
    if (name == "forceKelvin") {
        a = ForceKelvin{number(payload, "_0")};
    } else if (name == "disable") {
        if (!payload.is_object())
            throw DecodingError("Expected an object for \"disable\".");
        a = Disable{};
    } else {
        throw DecodingError("Unknown exception action \"" + name + "\".");
    }
}

void to_json(json& j, const AppExceptionRule& r) {
    j = json{{"bundleId", r.bundleId},
             {"displayName", r.displayName},
             {"action", r.action},
             {"enabled", r.enabled}};
}

void from_json(const json& j, AppExceptionRule& r) {
    r.bundleId = string(j, "bundleId");
    r.displayName = string(j, "displayName");
    r.action = member(j, "action").get<AppExceptionAction>();
    r.enabled = boolean(j, "enabled");
}

} // namespace tintwell::core
