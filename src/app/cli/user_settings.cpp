#include "app/cli/user_settings.h"

namespace tintwell::app {

using settings::JsonFileUserDefaults;

std::unique_ptr<JsonFileUserDefaults> writableDefaults() {
    auto defaults = std::make_unique<JsonFileUserDefaults>();
    defaults->setLogsWriteFailures(false);
    return defaults;
}

std::unique_ptr<JsonFileUserDefaults> readOnlyDefaults() {
    return std::make_unique<JsonFileUserDefaults>(JsonFileUserDefaults::defaultPath(),
                                                  JsonFileUserDefaults::Access::ReadOnly);
}

SettingsLook::SettingsLook(const CommandLine& cl) {
    if (!cl.location)
        return;
    // Only for this run: nothing is written while saving is suspended.
    state.setSuspendSave(true);
    state.setLatitude(cl.location->latitude);
    state.setLongitude(cl.location->longitude);
}

} // namespace tintwell::app
