#pragma once

#include "core/value_records.h"

#include <optional>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

namespace tintwell::core {

/// A stored record did not have the expected shape; `what()` says which member and why.
class DecodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// nlohmann-json hooks, found by argument-dependent lookup. The decoders throw DecodingError (or
// nlohmann::json::exception for a member of the wrong JSON type); use decodeJson() to get a value
// or a message instead.
void to_json(nlohmann::json& j, const DisplaySettings& s);
void from_json(const nlohmann::json& j, DisplaySettings& s);
void to_json(nlohmann::json& j, const Profile& p);
void from_json(const nlohmann::json& j, Profile& p);
void to_json(nlohmann::json& j, const AppExceptionAction& a);
void from_json(const nlohmann::json& j, AppExceptionAction& a);
void to_json(nlohmann::json& j, const AppExceptionRule& r);
void from_json(const nlohmann::json& j, AppExceptionRule& r);

/// A decoded value, or the reason it could not be decoded.
template <class T>
struct Decoded {
    std::optional<T> value;
    std::string error;
};

/// Decodes any of the records above, or a collection of them, without throwing.
template <class T>
Decoded<T> decodeJson(const nlohmann::json& j) {
    try {
        return {j.get<T>(), {}};
    } catch (const DecodingError& e) {
        return {std::nullopt, e.what()};
    } catch (const nlohmann::json::exception& e) {
        return {std::nullopt, e.what()};
    }
}

/// Parses text first; malformed JSON is reported like any other decoding failure.
template <class T>
Decoded<T> decodeJsonText(const std::string& text) {
    const auto parsed = nlohmann::json::parse(text, nullptr, false);
    if (parsed.is_discarded())
        return {std::nullopt, "The data is not valid JSON."};
    return decodeJson<T>(parsed);
}

} // namespace tintwell::core
