#include "watchers/hotkeys_manager.h"

#include "core/setting_table.h"
#include "settings/app_state.h"
#include "settings/builtin_presets.h"
#include "shortcuts/global_shortcuts.h"
#include "watchers/hotkey_names.h"

#include <algorithm>
#include <cmath>

#include <QPointer>

namespace tintwell::watchers {

HotkeysManager::HotkeysManager(settings::AppState& appState, shortcuts::GlobalShortcuts& shortcuts,
                               QObject* parent)
    : QObject(parent), appState_(appState), shortcuts_(shortcuts) {}

namespace {

using Act = void (*)(HotkeysManager&, settings::AppState&);

/// The six slots and what a press of each does.
const std::vector<std::pair<const shortcuts::Name*, Act>>& actions() {
    static const std::vector<std::pair<const shortcuts::Name*, Act>> table{
        {&hotkeys::togglePause, [](HotkeysManager&, settings::AppState& s) { s.setPaused(!s.paused()); }},
        {&hotkeys::toggleManualOverride,
         [](HotkeysManager&, settings::AppState& s) { s.setManualOverride(!s.manualOverride()); }},
        {&hotkeys::nextProfile, [](HotkeysManager& m, settings::AppState&) { m.cycleProfile(+1); }},
        {&hotkeys::previousProfile, [](HotkeysManager& m, settings::AppState&) { m.cycleProfile(-1); }},
        {&hotkeys::warmer,
         [](HotkeysManager& m, settings::AppState&) { m.nudgeManualKelvin(-HotkeysManager::nudgeStepK); }},
        {&hotkeys::cooler,
         [](HotkeysManager& m, settings::AppState&) { m.nudgeManualKelvin(+HotkeysManager::nudgeStepK); }},
    };
    return table;
}

} // namespace

void HotkeysManager::installHandlers() {
    shortcuts_.setSlotLabels(&hotkeys::label);
    const QPointer<HotkeysManager> self(this);
    for (const auto& [name, act] : actions())
        shortcuts_.onKeyDown(*name, [self, act = act] {
            if (self)
                act(*self, self->appState_);
        });
}

bool HotkeysManager::perform(std::string_view name) {
    if (name == "pause" || name == "resume") {
        appState_.setPaused(name == "pause");
        return true;
    }
    const auto slot = hotkeys::find(name);
    for (const auto& [known, act] : actions())
        if (slot && known->rawValue == slot->rawValue) {
            act(*this, appState_);
            return true;
        }
    return false;
}

void HotkeysManager::cycleProfile(int delta) {
    std::vector<core::Profile> all = appState_.profiles();
    // A preset that a user profile shadows (same identifier) is that profile: listed twice, the
    // cycle would come back to the first of them for ever.
    for (const core::Profile& preset : settings::BuiltinPresets::all())
        if (std::ranges::find(appState_.profiles(), preset.id, &core::Profile::id) ==
            appState_.profiles().end())
            all.push_back(preset);
    const int n = int(all.size());
    if (n == 0)
        return;
    int position = -1;
    if (const auto active = appState_.activeProfileId()) {
        const auto it = std::ranges::find(all, *active, &core::Profile::id);
        if (it != all.end())
            position = int(it - all.begin());
    }
    const int next = ((position + delta) % n + n) % n;
    appState_.applyProfile(all[std::size_t(next)]);
}

void HotkeysManager::nudgeManualKelvin(double deltaK) {
    if (!appState_.manualOverride()) {
        appState_.setManualKelvin(appState_.dayKelvin());
        appState_.setManualOverride(true);
    }
    const double kelvin = std::round(appState_.manualKelvin() + deltaK);
    appState_.setManualKelvin(core::setting("manualKelvin").range.clamp(kelvin));
}

} // namespace tintwell::watchers
