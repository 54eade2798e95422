// The settings file as a start reads it: the store's own checks (size, depth, JSON, kinds of value),
// then every setting and stored record through AppState, then a reload as after an outside edit.
#include "fuzz_support.h"
#include "settings/app_state.h"
#include "settings/json_file_user_defaults.h"

using namespace tintwell;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::silenceLogging();
    const std::string path = fuzz::scratchDir() + "/defaults.json";
    fuzz::writeFile(path, {reinterpret_cast<const char*>(data), size});
    // Read-only: a writable store would move an unreadable file aside, which is not parsing.
    settings::JsonFileUserDefaults defaults(path, settings::JsonFileUserDefaults::Access::ReadOnly);
    settings::AppState state(defaults);
    (void)state.activeProfileName();
    (void)state.isActiveProfileDirty();
    defaults.reload();
    state.reload();
    return 0;
}
