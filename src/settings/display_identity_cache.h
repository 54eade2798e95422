#pragma once

#include "platform/display_services.h"
#include "settings/app_state.h"

#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tintwell::settings {

/// Remembers each display's key (its upper-case UUID), so that the recurring tick does not ask
/// the platform again. A display without a key is remembered as such until `reset()`, which the
/// lifecycle handling calls after every reconfiguration, wake or clock change. Main thread only.
class DisplayIdentityCache {
public:
    using Resolver = std::function<std::optional<std::string>(core::DisplayId)>;

    /// The key the platform gives a display, asked afresh on every call.
    static Resolver resolverFor(platform::DisplayServices& services);

    explicit DisplayIdentityCache(Resolver resolve);
    explicit DisplayIdentityCache(platform::DisplayServices& services)
        : DisplayIdentityCache(resolverFor(services)) {}

    /// The display's key; a remembered answer (a miss too) is returned without asking again.
    std::optional<std::string> displayKey(core::DisplayId id);
    void reset() { cache_.clear(); }

private:
    Resolver resolve_;
    std::unordered_map<core::DisplayId, std::optional<std::string>> cache_;
};

/// The per-display settings for one evaluation: the override of each online display that has a key
/// and an override, by display identifier. With no override at all, no key is resolved.
std::unordered_map<core::DisplayId, core::DisplaySettings>
perDisplaySettings(const DisplayOverrides& overrides, const std::vector<core::DisplayId>& onlineDisplays,
                   DisplayIdentityCache& identities);

} // namespace tintwell::settings
