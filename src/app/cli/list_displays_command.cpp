#include "app/cli/list_displays_command.h"

#include "app/platform_backend.h"

#include <iomanip>
#include <sstream>

#include <nlohmann/json.hpp>

namespace tintwell::app {
namespace {

std::string geometry(const platform::Rect& r) {
    std::ostringstream s;
    s << r.width << 'x' << r.height << (r.x < 0 ? "" : "+") << r.x << (r.y < 0 ? "" : "+") << r.y;
    return s.str();
}

} // namespace

void printDisplays(platform::DisplayServices& displays, const std::string& backend, bool json,
                   std::ostream& out) {
    std::vector<platform::DisplayDescription> list;
    for (platform::DisplayId id : displays.onlineDisplays())
        if (auto d = displays.describe(id))
            list.push_back(std::move(*d));

    if (json) {
        auto array = nlohmann::ordered_json::array();
        for (const auto& d : list) {
            const nlohmann::ordered_json bounds = {
                {"x", d.bounds.x}, {"y", d.bounds.y}, {"width", d.bounds.width}, {"height", d.bounds.height}};
            array.push_back({{"id", d.id},
                             {"name", d.name},
                             {"key", d.key ? nlohmann::ordered_json(*d.key) : nullptr},
                             {"bounds", bounds},
                             {"main", d.isMain},
                             {"mirrorOf", d.mirrorOf ? nlohmann::ordered_json(*d.mirrorOf) : nullptr},
                             {"gammaSize", d.gammaSize},
                             {"backend", backend}});
        }
        out << array.dump(2) << '\n';
        return;
    }
    std::size_t nameWidth = 4;
    for (const auto& d : list)
        nameWidth = std::max(nameWidth, d.name.size());
    const auto row = [&](const std::string& id, const std::string& name, const std::string& key,
                         const std::string& bounds, const std::string& main, const std::string& mirror,
                         const std::string& gamma) {
        out << std::left << std::setw(10) << id << std::setw(int(nameWidth) + 2) << name << std::setw(38)
            << key << std::setw(20) << bounds << std::setw(6) << main << std::setw(11) << mirror << gamma
            << '\n';
    };
    row("ID", "NAME", "KEY", "BOUNDS", "MAIN", "MIRROR OF", "GAMMA");
    for (const auto& d : list)
        row(std::to_string(d.id), d.name, d.key.value_or("-"), geometry(d.bounds), d.isMain ? "yes" : "no",
            d.mirrorOf ? std::to_string(*d.mirrorOf) : "-", std::to_string(d.gammaSize));
}

int runListDisplays(const CommandLine& cl, std::ostream& out, std::ostream& err) {
    QString error;
    auto services = createPlatformServices(cl.backend, {.keepTransferTablesOnExit = true}, &error);
    if (!services) {
        err << "tintwell: " << error.toStdString() << '\n';
        return 1;
    }
    printDisplays(*services->displays, services->backend.toStdString(), cl.json, out);
    return 0;
}

} // namespace tintwell::app
