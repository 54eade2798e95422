#include "watchers/hotkey_names.h"

#include <algorithm>

namespace tintwell::watchers::hotkeys {

const std::vector<shortcuts::Name>& allTintwell() {
    static const std::vector<shortcuts::Name> names{
        togglePause, toggleManualOverride, nextProfile, previousProfile, warmer, cooler};
    return names;
}

std::string label(const shortcuts::Name& name) {
    static const std::pair<const char*, const char*> labels[] = {
        {"tintwell.togglePause", "Toggle Pause"},
        {"tintwell.toggleManualOverride", "Toggle Manual override"},
        {"tintwell.nextProfile", "Next profile"},
        {"tintwell.previousProfile", "Previous profile"},
        {"tintwell.warmer", "Warmer (\u2212250 K)"},
        {"tintwell.cooler", "Cooler (+250 K)"},
    };
    for (const auto& [raw, text] : labels)
        if (name.rawValue == raw)
            return text;
    return name.rawValue;
}

std::optional<shortcuts::Name> find(std::string_view name) {
    for (const shortcuts::Name& n : allTintwell())
        if (n.rawValue == name || std::string_view(n.rawValue).substr(9) == name)
            return n;
    return std::nullopt;
}

} // namespace tintwell::watchers::hotkeys
