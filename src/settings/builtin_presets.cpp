#include "settings/builtin_presets.h"

#include <algorithm>

namespace tintwell::settings {
namespace {

core::Profile preset(const char* id, const char* name, double day, double night, double width,
                     double brightness, double gamma, double manual) {
    return {{day, night, width, brightness, gamma, manual}, *core::Uuid::parse(id), name};
}

} // namespace

const std::vector<core::Profile>& BuiltinPresets::all() {
    static const std::vector<core::Profile> presets{
        preset("00000000-0000-4000-8000-000000000001", "Default", 6500, 3400, 12, 1.0, 1.0, 5000),
        preset("00000000-0000-4000-8000-000000000002", "Cozy reading", 6200, 2200, 16, 0.85, 1.0, 5000),
        preset("00000000-0000-4000-8000-000000000003", "Movie / TV", 5500, 2800, 8, 0.7, 1.05, 5000),
        preset("00000000-0000-4000-8000-000000000004", "Coding (long sessions)", 5800, 3000, 14, 0.95, 0.95,
               5000),
        preset("00000000-0000-4000-8000-000000000005", "Sunlit work", 6500, 4500, 8, 1.0, 1.0, 5000),
        preset("00000000-0000-4000-8000-000000000006", "Sleep prep", 5000, 1800, 20, 0.6, 1.0, 5000),
    };
    return presets;
}

std::optional<core::Profile> BuiltinPresets::find(const core::Uuid& id) {
    const auto& presets = all();
    const auto it = std::find_if(presets.begin(), presets.end(), [&](const auto& p) { return p.id == id; });
    if (it == presets.end())
        return std::nullopt;
    return *it;
}

} // namespace tintwell::settings
