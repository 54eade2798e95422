// A stored shortcut slot as the application reads it, and the text of a combination as --hotkey
// reads it. Part one (up to the first NUL) is the stored value, the rest the typed text.
#include "fuzz_support.h"
#include "settings/user_defaults.h"
#include "shortcuts/global_shortcuts.h"
#include "shortcuts/shortcut.h"

#include <variant>

using namespace tintwell;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::silenceLogging();
    const auto parts = fuzz::split(data, size, '\0', 2);
    const shortcuts::Name slot{"tintwell.togglePause", std::nullopt};
    settings::InMemoryUserDefaults defaults(settings::Dictionary{
        {shortcuts::GlobalShortcuts::storageKey(slot), settings::Value(std::string(parts[0]))}});
    shortcuts::GlobalShortcuts global(defaults, nullptr);
    global.declare(slot);
    if (const auto stored = global.getShortcut(slot))
        (void)stored->presentableDescription();

    const auto typed = shortcuts::parseShortcut(parts[1]);
    if (const auto* s = std::get_if<shortcuts::Shortcut>(&typed)) {
        // What --hotkey stores must read back as the same combination.
        const auto back = shortcuts::Shortcut::fromJson(s->toJson());
        if (!back || !(*back == *s))
            __builtin_trap();
        (void)shortcuts::parseShortcut(s->presentableDescription());
    }
    return 0;
}
