#include "platform/virtual/virtual_display_services.h"
#include "platform/virtual/virtual_workspace_services.h"
#include "watchers/display_windows.h"

#include <gtest/gtest.h>

namespace tintwell::watchers {
namespace {

using platform::Rect;
using platform::WindowInfo;

TEST(DisplaysContainingWindows, CountsOnlyTheProcesssOrdinaryWindows) {
    platform::VirtualDisplayServices displays(3); // 1920x1080 each, side by side, ids 1..3
    platform::VirtualWorkspaceServices workspace;
    const struct {
        const char* name;
        std::vector<WindowInfo> windows;
        std::set<platform::DisplayId> expected;
    } cases[] = {
        {"one window", {{42, 0, {100, 100, 800, 600}}}, {1}},
        {"straddling two displays", {{42, 0, {1800, 100, 800, 600}}, {42, 0, {4000, 0, 10, 10}}}, {1, 2, 3}},
        {"another process", {{43, 0, {100, 100, 800, 600}}}, {}},
        {"one pixel wide", {{42, 0, {100, 100, 1, 600}}}, {}},
        {"one pixel high", {{42, 0, {2000, 100, 600, 1}}}, {}},
        {"a dock above layer 8", {{42, 20, {0, 0, 1920, 30}}, {42, 25, {1920, 0, 1920, 30}}}, {}},
        {"layer 8 still counts", {{42, 8, {1920, 0, 100, 100}}}, {2}},
        {"touching an edge only", {{42, 0, {1720, 0, 200, 200}}}, {1}},
        {"off every display", {{42, 0, {-500, -500, 100, 100}}}, {}},
    };
    for (const auto& c : cases) {
        workspace.setWindows(c.windows);
        EXPECT_EQ(displaysContainingWindows(workspace, displays, 42), c.expected) << c.name;
    }
}

} // namespace
} // namespace tintwell::watchers
