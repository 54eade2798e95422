#pragma once

#include "platform/key_combination.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tintwell::platform::portal {

/// The shortcut id a combination is bound under, its trigger in lower case ("ctrl-alt-p"): the same
/// combination always gets the same id, so a desktop that remembers a program's shortcuts
/// recognises it in every session, and one that leaves the keys to its user (Hyprland) shows a
/// name that can be typed into a binding.
std::string shortcutId(const KeyCombination& combination);
/// The combination in the XDG shortcuts format ("CTRL+ALT+p", "LOGO+SHIFT+Up"), the keysym a US
/// layout has there; nothing for a key without a keysym.
std::optional<std::string> xdgTrigger(const KeyCombination& combination);
/// The combination of a key event of a Wayland client: XKB keycode (kernel code + 8) and XKB
/// modifier mask, whose bits are the X core ones in every keymap XKB compiles. Keys are recognised
/// by their place, so the function keys mean the same whatever the layout does with them.
std::optional<KeyCombination> combinationForKeycode(std::uint32_t keycode, std::uint32_t modifiers);

} // namespace tintwell::platform::portal
