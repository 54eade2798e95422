#include "watchers/display_windows.h"

#include <algorithm>

namespace tintwell::watchers {

std::set<platform::DisplayId> displaysContainingWindows(platform::WorkspaceServices& workspace,
                                                        platform::DisplayServices& displays,
                                                        platform::ProcessId pid) {
    std::vector<platform::Rect> rects;
    for (const auto& w : workspace.onScreenWindows()) {
        if (w.ownerPid != pid || w.layer > 8)
            continue;
        if (w.bounds.width > 1 && w.bounds.height > 1)
            rects.push_back(w.bounds);
    }
    std::set<platform::DisplayId> result;
    if (rects.empty())
        return result;
    for (const auto id : displays.onlineDisplays()) {
        const auto description = displays.describe(id);
        if (!description)
            continue;
        if (std::any_of(rects.begin(), rects.end(),
                        [&](const auto& r) { return r.intersects(description->bounds); }))
            result.insert(id);
    }
    return result;
}

} // namespace tintwell::watchers
