#include "app/list_apps_command.h"

#include "platform/virtual/virtual_display_services.h"
#include "platform/virtual/virtual_workspace_services.h"
#include "platform/x11/x11_workspace_services.h"
#include "watchers/display_windows.h"

#include <algorithm>
#include <cstdlib>
#include <iomanip>
#include <memory>
#include <tuple>

#include <QCoreApplication>

#include <xcb/randr.h>

#include <nlohmann/json.hpp>

namespace tintwell::app {
namespace {

/// The active RandR outputs, read once; enough to say which monitors show a window.
class RandrDisplayList final : public platform::DisplayServices {
public:
    explicit RandrDisplayList(const char* displayName) {
        xcb_connection_t* c = xcb_connect(displayName, nullptr);
        if (!xcb_connection_has_error(c))
            read(c);
        xcb_disconnect(c);
    }
    std::vector<platform::DisplayId> onlineDisplays() override {
        std::vector<platform::DisplayId> ids;
        for (const auto& d : displays_)
            ids.push_back(d.id);
        return ids;
    }
    std::optional<platform::DisplayDescription> describe(platform::DisplayId id) override {
        for (const auto& d : displays_)
            if (d.id == id)
                return d;
        return std::nullopt;
    }
    void setTransferTables(platform::DisplayId, const engine::TransferTables&) override {}
    std::optional<engine::TransferTables> readTransferTables(platform::DisplayId) override {
        return std::nullopt;
    }
    void restoreSystemCalibration() override {}

private:
    template <class T>
    using Reply = std::unique_ptr<T, decltype(&std::free)>;

    void read(xcb_connection_t* c) {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        const Reply<xcb_randr_get_screen_resources_current_reply_t> res(
            xcb_randr_get_screen_resources_current_reply(c, xcb_randr_get_screen_resources_current(c, root),
                                                         nullptr),
            &std::free);
        const Reply<xcb_randr_get_output_primary_reply_t> primary(
            xcb_randr_get_output_primary_reply(c, xcb_randr_get_output_primary(c, root), nullptr),
            &std::free);
        if (!res)
            return;
        const auto* outputs = xcb_randr_get_screen_resources_current_outputs(res.get());
        for (int i = 0; i < xcb_randr_get_screen_resources_current_outputs_length(res.get()); ++i) {
            const Reply<xcb_randr_get_output_info_reply_t> info(
                xcb_randr_get_output_info_reply(
                    c, xcb_randr_get_output_info(c, outputs[i], res->config_timestamp), nullptr),
                &std::free);
            if (!info || info->crtc == XCB_NONE)
                continue;
            const Reply<xcb_randr_get_crtc_info_reply_t> crtc(
                xcb_randr_get_crtc_info_reply(
                    c, xcb_randr_get_crtc_info(c, info->crtc, res->config_timestamp), nullptr),
                &std::free);
            if (!crtc)
                continue;
            platform::DisplayDescription d;
            d.id = outputs[i];
            d.name.assign(reinterpret_cast<const char*>(xcb_randr_get_output_info_name(info.get())),
                          xcb_randr_get_output_info_name_length(info.get()));
            d.bounds = {double(crtc->x), double(crtc->y), double(crtc->width), double(crtc->height)};
            d.isMain = primary && primary->output == outputs[i];
            displays_.push_back(d);
        }
    }

    std::vector<platform::DisplayDescription> displays_;
};

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
        out << list.dump(2) << '\n';
        return;
    }
    if (apps.empty()) {
        out << "No running applications with windows.\n";
        return;
    }
    std::size_t idWidth = 14;
    std::size_t nameWidth = 4;
    for (const auto& l : apps) {
        idWidth = std::max(idWidth, l.application.applicationId.size());
        nameWidth = std::max(nameWidth, l.application.localizedName.size());
    }
    out << std::left << "  " << std::setw(int(idWidth)) << "APPLICATION ID"
        << "  " << std::setw(int(nameWidth)) << "NAME"
        << "  " << std::setw(8) << "PID"
        << "DISPLAYS\n";
    for (const auto& l : apps)
        out << (l.frontmost ? "* " : "  ") << std::setw(int(idWidth)) << l.application.applicationId << "  "
            << std::setw(int(nameWidth)) << l.application.localizedName << "  " << std::setw(8)
            << l.application.pid << displayNames(l.displays) << '\n';
    out << "(* frontmost)\n";
}

int runListApps(const CommandLine& cl, std::ostream& out, std::ostream& err) {
    // The X connection is watched through the event loop, which needs an application object.
    static int argc = 1;
    static char name[] = "tintwell";
    static char* argv[] = {name, nullptr};
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(argc, argv);

    std::unique_ptr<platform::WorkspaceServices> workspace;
    std::unique_ptr<platform::DisplayServices> displays;
    if (cl.backend.kind == Backend::Kind::Virtual) {
        workspace = std::make_unique<platform::VirtualWorkspaceServices>();
        displays = std::make_unique<platform::VirtualDisplayServices>(cl.backend.virtualDisplayCount);
    } else {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display) {
            err << "tintwell: --list-apps needs an X display, and DISPLAY is not set.\n";
            return 1;
        }
        workspace = platform::X11WorkspaceServices::create(display);
        if (!workspace) {
            err << "tintwell: cannot connect to the X display \"" << display << "\".\n";
            return 1;
        }
        displays = std::make_unique<RandrDisplayList>(display);
    }
    printApplications(listApplications(*workspace, *displays), cl.json, out);
    return 0;
}

} // namespace tintwell::app
