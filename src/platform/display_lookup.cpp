#include "platform/display_lookup.h"

namespace tintwell::platform {

std::vector<DisplayId> DisplayLookup::onlineDisplays(DisplayServices& displays) {
    return displays.onlineDisplays();
}

std::vector<DisplayLookup::DisplayInfo> DisplayLookup::connectedDisplays(DisplayServices& displays) {
    std::vector<DisplayInfo> list;
    for (DisplayId id : displays.onlineDisplays()) {
        const auto d = displays.describe(id);
        if (!d || d->mirrorOf)
            continue;
        list.push_back({id, d->name.empty() ? displayName(displays, id) : d->name, d->bounds, d->isMain});
    }
    return list;
}

std::string DisplayLookup::displayName(DisplayServices& displays, DisplayId id) {
    const auto d = displays.describe(id);
    return d && !d->name.empty() ? d->name : "Display " + std::to_string(id);
}

DisplayIdentityCache::DisplayIdentityCache(Resolver resolve) : resolve_(std::move(resolve)) {}

DisplayIdentityCache::DisplayIdentityCache(DisplayServices& displays)
    : resolve_([&displays](DisplayId id) -> std::optional<std::string> {
          const auto d = displays.describe(id);
          return d ? d->key : std::nullopt;
      }) {}

std::optional<std::string> DisplayIdentityCache::displayKey(DisplayId id) {
    if (const auto it = cache_.find(id); it != cache_.end())
        return it->second;
    return cache_[id] = resolve_(id);
}

void DisplayIdentityCache::reset() {
    cache_.clear();
}

} // namespace tintwell::platform
