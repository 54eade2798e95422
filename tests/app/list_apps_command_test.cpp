#include "app/cli/list_apps_command.h"
#include "platform/virtual/virtual_display_services.h"
#include "platform/virtual/virtual_workspace_services.h"

#include <sstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace tintwell::app {
namespace {

using platform::ActivationPolicy;
using platform::RunningApplication;

TEST(ListApps, JsonNamesEachApplicationWithItsDisplays) {
    platform::VirtualWorkspaceServices workspace;
    platform::VirtualDisplayServices displays(2); // "Virtual 1" at x 0, "Virtual 2" at x 1920
    const RunningApplication editor{10, "org.example.Editor", "Editor", {}, {}, ActivationPolicy::Regular};
    const RunningApplication dock{11, "Panel", "Panel", {}, {}, ActivationPolicy::Accessory};
    const RunningApplication browser{12, "Browser", "Browser", {}, {}, ActivationPolicy::Regular};
    workspace.setRunningApplications({editor, dock, browser});
    workspace.setFrontmostApplication(editor);
    workspace.setWindows({{10, 0, {1800, 0, 300, 300}}}); // which windows count: their own test

    std::ostringstream out;
    printApplications(listApplications(workspace, displays), true, out);
    const auto expected = nlohmann::json::parse(R"([
        {"id": "Browser", "name": "Browser", "pid": 12, "frontmost": false, "regular": true, "displays": []},
        {"id": "org.example.Editor", "name": "Editor", "pid": 10, "frontmost": true, "regular": true,
         "displays": [{"id": 1, "name": "Virtual 1"}, {"id": 2, "name": "Virtual 2"}]},
        {"id": "Panel", "name": "Panel", "pid": 11, "frontmost": false, "regular": false, "displays": []}
    ])");
    EXPECT_EQ(nlohmann::json::parse(out.str()), expected);
}

TEST(ListApps, OutsideNamesNeitherAbortTheJsonNorReachTheTerminalRaw) {
    platform::VirtualWorkspaceServices workspace;
    platform::VirtualDisplayServices displays(1);
    workspace.setRunningApplications({{10, "bad\xff\xc3", "Ed\x1b]0;pwned\x07\nUp to date.", {}, {}}});
    for (const bool json : {true, false}) {
        std::ostringstream out;
        printApplications(listApplications(workspace, displays), json, out);
        EXPECT_EQ(out.str().find_first_of("\x1b\x07\xff"), std::string::npos) << out.str();
        if (json)
            EXPECT_EQ(nlohmann::json::parse(out.str())[0]["id"], "bad\uFFFD\uFFFD");
        else
            EXPECT_NE(out.str().find("Ed\\x1b]0;pwned\\x07\\x0aUp to date."), std::string::npos) << out.str();
    }
}

} // namespace
} // namespace tintwell::app
