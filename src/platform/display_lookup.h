#pragma once

#include "platform/display_services.h"

#include <functional>
#include <string>
#include <unordered_map>

namespace tintwell::platform {

/// The display enumeration the tick loop, the app-exception status and the interface use.
struct DisplayLookup {
    /// A connected display that mirrors nothing.
    struct DisplayInfo {
        DisplayId id = 0;
        std::string name;
        Rect bounds;
        bool isMain = false;
        bool operator==(const DisplayInfo&) const = default;
    };

    /// Online display identifiers in platform order, mirrors included.
    static std::vector<DisplayId> onlineDisplays(DisplayServices& displays);
    /// The online displays that mirror no other, in platform order.
    static std::vector<DisplayInfo> connectedDisplays(DisplayServices& displays);
    /// The display's name; "Display " followed by the identifier when the platform has none.
    static std::string displayName(DisplayServices& displays, DisplayId id);

    DisplayLookup() = delete;
};

/// Remembers each display's key (misses too) until `reset()`, so the recurring tick does not ask the
/// platform again; the lifecycle handler resets it after every reconfiguration, wake or clock change.
/// Main thread only.
class DisplayIdentityCache {
public:
    using Resolver = std::function<std::optional<std::string>(DisplayId)>;

    explicit DisplayIdentityCache(Resolver resolve);
    /// Resolves through the display services' description of the display.
    explicit DisplayIdentityCache(DisplayServices& displays);

    /// The display's key, or nothing when it has none (a remembered miss is not asked again).
    std::optional<std::string> displayKey(DisplayId id);
    void reset();

private:
    Resolver resolve_;
    std::unordered_map<DisplayId, std::optional<std::string>> cache_;
};

} // namespace tintwell::platform
