#pragma once

#include "core/version_comparator.h"

#include <concepts>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tintwell::core {

/// Anything offered as an update that carries a version text; an item without one is treated as
/// having the empty text.
template <class T>
concept AppcastItemSelectable = requires(const T& item) {
    { item.versionString } -> std::convertible_to<std::optional<std::string>>;
};

/// The release channels a user on `chosenChannel` receives: "dev" gets "beta" and "stable" too,
/// "beta" gets "stable" too, and every other name, however spelled, gets "stable" alone.
std::set<std::string> allowedChannels(std::string_view chosenChannel);

/// The item with the highest version strictly newer than `currentVersion`, the first of equals in
/// feed order; nothing when none is newer. `compare(a, b)` answers how version `a` stands to `b`.
template <AppcastItemSelectable Item, class Compare = VersionOrder (*)(std::string_view, std::string_view)>
std::optional<Item> bestValidUpdate(const std::vector<Item>& items, std::string_view currentVersion,
                                    Compare compare = &compareVersions) {
    const Item* best = nullptr;
    for (const Item& item : items) {
        const std::string version = std::optional<std::string>(item.versionString).value_or("");
        if (compare(version, currentVersion) != VersionOrder::Descending)
            continue;
        if (!best || compare(std::optional<std::string>(best->versionString).value_or(""), version) ==
                         VersionOrder::Ascending)
            best = &item;
    }
    return best ? std::optional<Item>(*best) : std::nullopt;
}

} // namespace tintwell::core
