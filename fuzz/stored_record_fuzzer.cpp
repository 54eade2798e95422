// One stored collection (the key named by TINTWELL_FUZZ_KEY) as AppState loads it: JSON data read
// element by element, undecodable elements skipped, values held to their ranges.
#include "fuzz_support.h"
#include "settings/app_state.h"

using namespace tintwell;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::silenceLogging();
    settings::InMemoryUserDefaults defaults(settings::Dictionary{
        {settings::keys::TINTWELL_FUZZ_KEY,
         settings::Value(settings::Data{std::string(reinterpret_cast<const char*>(data), size)})},
        // The active profile's identifier is the other half of what the profile list is read with.
        {settings::keys::activeProfileId,
         settings::Value(std::string("0B5E4E53-4A55-4C16-9A8E-3C8F1B2D7A61"))}});
    settings::AppState state(defaults);
    (void)state.activeProfileName();
    (void)state.isActiveProfileDirty();
    for (const auto& p : state.profiles())
        (void)state.findProfile(p.id);
    return 0;
}
