#pragma once

#include "core/record_json.h"
#include "settings/setting_ranges.h"
#include "settings/user_defaults.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace tintwell::settings {

// Lists and maps of records stored as JSON data, read element by element: one bad element (of a
// hand edit, or of a later version) costs that element, never the whole collection. Whatever could
// not be used is logged with its position and reported to the store, which then keeps a copy of
// the original before writing over it.

/// The JSON under `key`, when it is data holding JSON of a sane depth; logs and reports otherwise.
std::optional<nlohmann::json> readStoredJson(UserDefaults& defaults, const std::string& key);
/// Logs that the element at `position` of `key` was skipped (or changed) and why, and reports the key.
void reportElement(UserDefaults& defaults, const std::string& key, const std::string& position,
                   const std::string& why);

namespace detail {
template <class T>
std::optional<T> decodeElement(UserDefaults& defaults, const std::string& key, const std::string& position,
                               const nlohmann::json& j) {
    auto decoded = core::decodeJson<T>(j);
    if (!decoded.value) {
        reportElement(defaults, key, position, "skipped: " + decoded.error);
        return std::nullopt;
    }
    if constexpr (requires(T & t) { clampSix(t); })
        if (clampSix(*decoded.value))
            reportElement(defaults, key, position, "values outside their ranges held to them");
    return std::move(decoded.value);
}
} // namespace detail

/// The decodable elements of the array under `key`, in order; nothing when there is no usable array.
template <class T>
std::optional<std::vector<T>> readStoredList(UserDefaults& defaults, const std::string& key) {
    const auto j = readStoredJson(defaults, key);
    if (!j)
        return std::nullopt;
    if (!j->is_array()) {
        reportElement(defaults, key, "whole", "skipped: not a list");
        return std::nullopt;
    }
    std::vector<T> list;
    for (std::size_t i = 0; i < j->size(); ++i)
        if (auto e = detail::decodeElement<T>(defaults, key, "element " + std::to_string(i + 1), (*j)[i]))
            list.push_back(std::move(*e));
    return list;
}

/// The decodable entries of the object under `key`; nothing when there is no usable object.
template <class V>
std::optional<std::map<std::string, V>> readStoredMap(UserDefaults& defaults, const std::string& key) {
    const auto j = readStoredJson(defaults, key);
    if (!j)
        return std::nullopt;
    if (!j->is_object()) {
        reportElement(defaults, key, "whole", "skipped: not an object");
        return std::nullopt;
    }
    std::map<std::string, V> map;
    for (const auto& [name, value] : j->items())
        if (auto e = detail::decodeElement<V>(defaults, key, "entry \"" + name + "\"", value))
            map.emplace(name, std::move(*e));
    return map;
}

} // namespace tintwell::settings
