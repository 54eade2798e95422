#include "settings/display_lookup.h"

namespace tintwell::settings {
namespace {

std::string fallbackName(core::DisplayId id) {
    return "Display " + std::to_string(id);
}

} // namespace

std::vector<core::DisplayId> DisplayLookup::onlineDisplays() const {
    return services_.onlineDisplays();
}

std::vector<DisplayInfo> DisplayLookup::connectedDisplays() const {
    std::vector<DisplayInfo> result;
    for (const auto id : services_.onlineDisplays()) {
        const auto d = services_.describe(id);
        // A display can go away between the two calls; it is simply not listed.
        if (!d || (d->mirrorOf && *d->mirrorOf != id))
            continue;
        result.push_back({id, d->name.empty() ? fallbackName(id) : d->name, d->bounds, d->isMain});
    }
    return result;
}

std::string DisplayLookup::displayName(core::DisplayId id) const {
    const auto d = services_.describe(id);
    if (d && !d->name.empty())
        return d->name;
    return fallbackName(id);
}

} // namespace tintwell::settings
