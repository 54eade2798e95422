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

void to_json(json& j, const DisplaySettings& s) {
    j = json{{"dayKelvin", s.dayKelvin},
             {"nightKelvin", s.nightKelvin},
             {"transitionWidthDeg", s.transitionWidthDeg},
             {"brightness", s.brightness},
             {"gamma", s.gamma},
             {"manualKelvin", s.manualKelvin}};
}

void from_json(const json& j, DisplaySettings& s) {
    s.dayKelvin = number(j, "dayKelvin");
    s.nightKelvin = number(j, "nightKelvin");
    s.transitionWidthDeg = number(j, "transitionWidthDeg");
    s.brightness = number(j, "brightness");
    s.gamma = number(j, "gamma");
    s.manualKelvin = number(j, "manualKelvin");
}

void to_json(json& j, const Profile& p) {
    to_json(j, static_cast<const DisplaySettings&>(p));
    j["id"] = p.id.toString();
    j["name"] = p.name;
}

void from_json(const json& j, Profile& p) {
    const auto id = Uuid::parse(string(j, "id"));
    if (!id)
        throw DecodingError("Attempted to decode UUID from invalid UUID string.");
    p.id = *id;
    p.name = string(j, "name");
    from_json(j, static_cast<DisplaySettings&>(p));
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
