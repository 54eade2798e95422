#pragma once

#include "platform/display_services.h"

#include <string>
#include <vector>

namespace tintwell::settings {

/// A connected display as the interface lists it.
struct DisplayInfo {
    core::DisplayId id = 0;
    std::string name;
    platform::Rect bounds; ///< global display coordinates
    bool isMain = false;
    bool operator==(const DisplayInfo&) const = default;
};

/// Enumerates displays through the platform services. Holds no state of its own.
class DisplayLookup {
public:
    explicit DisplayLookup(platform::DisplayServices& services) : services_(services) {}

    /// Online displays, mirrors included, in the platform's order.
    std::vector<core::DisplayId> onlineDisplays() const;
    /// Online displays that mirror no other display, in the platform's order.
    std::vector<DisplayInfo> connectedDisplays() const;
    /// The display's name, or "Display <id>" when the platform has none.
    std::string displayName(core::DisplayId id) const;

private:
    platform::DisplayServices& services_;
};

} // namespace tintwell::settings
