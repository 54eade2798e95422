#include "app/cli/list_apps_command.h"

#include "app/platform_backend.h"
#include "platform/outside_text.h"
#include "watchers/display_windows.h"

#include <algorithm>
#include <iomanip>
#include <memory>
#include <tuple>

#include <nlohmann/json.hpp>

namespace tintwell::app {
namespace {

std::string displayNames(const std::vector<platform::DisplayDescription>& displays) {
    std::string names;
    for (const auto& d : displays)
        names += (names.empty() ? "" : ", ") + d.name;
    return names.empty() ? "-" : names;
}

} // namespace

std::vector<ListedApplication> listApplications(platform::WorkspaceServices& workspace,
                                                platform::DisplayServices& displays) {
    const auto frontmost = workspace.frontmostApplication();
    std::vector<ListedApplication> listed;
    for (auto& app : workspace.runningApplications()) {
        ListedApplication l;
        l.frontmost = frontmost && frontmost->pid == app.pid;
        const auto ids = watchers::displaysContainingWindows(workspace, displays, app.pid);
        for (const auto id : displays.onlineDisplays())
            if (ids.contains(id))
                if (auto d = displays.describe(id))
                    l.displays.push_back(*d);
        l.application = std::move(app);
        listed.push_back(std::move(l));
    }
    std::stable_sort(listed.begin(), listed.end(),
                     [](const ListedApplication& a, const ListedApplication& b) {
                         return std::tie(a.application.localizedName, a.application.pid) <
                                std::tie(b.application.localizedName, b.application.pid);
                     });
    return listed;
}

void printApplications(const std::vector<ListedApplication>& apps, bool json, std::ostream& out) {
    if (json) {
        nlohmann::ordered_json list = nlohmann::ordered_json::array();
        for (const auto& l : apps) {
            nlohmann::ordered_json displays = nlohmann::ordered_json::array();
            for (const auto& d : l.displays)
                displays.push_back({{"id", d.id}, {"name", d.name}});
            list.push_back(
                {{"id", l.application.applicationId},
                 {"name", l.application.localizedName},
                 {"pid", l.application.pid},
                 {"frontmost", l.frontmost},
                 {"regular", l.application.activationPolicy == platform::ActivationPolicy::Regular},
                 {"displays", displays}});
        }
        // The platform hands over valid text; an invalid byte that slips through is replaced, not fatal.
        out << list.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
        return;
    }
    if (apps.empty()) {
        out << "No running applications with windows.\n";
        return;
    }
    // Names come from other programs and their desktop entries: shown, never obeyed by the terminal.
    const auto safe = [](const std::string& text) { return platform::terminalSafe(text); };
    std::size_t idWidth = 14;
    std::size_t nameWidth = 4;
    for (const auto& l : apps) {
        idWidth = std::max(idWidth, safe(l.application.applicationId).size());
        nameWidth = std::max(nameWidth, safe(l.application.localizedName).size());
    }
    out << std::left << "  " << std::setw(int(idWidth)) << "APPLICATION ID"
        << "  " << std::setw(int(nameWidth)) << "NAME"
        << "  " << std::setw(8) << "PID"
        << "DISPLAYS\n";
    for (const auto& l : apps)
        out << (l.frontmost ? "* " : "  ") << std::setw(int(idWidth)) << safe(l.application.applicationId)
            << "  " << std::setw(int(nameWidth)) << safe(l.application.localizedName) << "  " << std::setw(8)
            << l.application.pid << safe(displayNames(l.displays)) << '\n';
    out << "(* frontmost)\n";
}

int runListApps(const CommandLine& cl, std::ostream& out, std::ostream& err) {
    QString error;
    const auto services =
        createPlatformServices(cl.backend, PlatformOptions{.keepTransferTablesOnExit = true}, &error);
    if (!services) {
        err << "tintwell: " << error.toStdString() << '\n';
        return 1;
    }
    if (!services->workspace) {
        err << "tintwell: this desktop does not tell other programs which applications are open.\n";
        return 1;
    }
    printApplications(listApplications(*services->workspace, *services->displays), cl.json, out);
    return 0;
}

} // namespace tintwell::app
