#include "settings/display_identity_cache.h"

namespace tintwell::settings {

DisplayIdentityCache::Resolver DisplayIdentityCache::resolverFor(platform::DisplayServices& services) {
    return [&services](core::DisplayId id) -> std::optional<std::string> {
        const auto d = services.describe(id);
        return d ? d->key : std::nullopt;
    };
}

DisplayIdentityCache::DisplayIdentityCache(Resolver resolve) : resolve_(std::move(resolve)) {}

std::optional<std::string> DisplayIdentityCache::displayKey(core::DisplayId id) {
    if (const auto it = cache_.find(id); it != cache_.end())
        return it->second;
    auto key = resolve_(id);
    cache_.emplace(id, key);
    return key;
}

std::unordered_map<core::DisplayId, core::DisplaySettings>
perDisplaySettings(const DisplayOverrides& overrides, const std::vector<core::DisplayId>& onlineDisplays,
                   DisplayIdentityCache& identities) {
    std::unordered_map<core::DisplayId, core::DisplaySettings> result;
    if (overrides.empty())
        return result;
    for (const auto id : onlineDisplays) {
        const auto key = identities.displayKey(id);
        if (!key)
            continue;
        if (const auto it = overrides.find(*key); it != overrides.end())
            result.emplace(id, it->second);
    }
    return result;
}

} // namespace tintwell::settings
