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

void HotkeysManager::installHandlers() {
    const QPointer<HotkeysManager> self(this);
    const auto attach = [&](const shortcuts::Name& name, void (*act)(HotkeysManager&)) {
        shortcuts_.onKeyDown(name, [self, act] {
            if (self)
                act(*self);
        });
    };
    attach(hotkeys::togglePause, [](HotkeysManager& m) { m.appState_.setPaused(!m.appState_.paused()); });
    attach(hotkeys::toggleManualOverride,
           [](HotkeysManager& m) { m.appState_.setManualOverride(!m.appState_.manualOverride()); });
    attach(hotkeys::nextProfile, [](HotkeysManager& m) { m.cycleProfile(+1); });
    attach(hotkeys::previousProfile, [](HotkeysManager& m) { m.cycleProfile(-1); });
    attach(hotkeys::warmer, [](HotkeysManager& m) { m.nudgeManualKelvin(-nudgeStepK); });
    attach(hotkeys::cooler, [](HotkeysManager& m) { m.nudgeManualKelvin(+nudgeStepK); });
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
