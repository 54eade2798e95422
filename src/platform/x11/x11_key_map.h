#pragma once

#include "platform/key_combination.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tintwell::platform::x11 {

/// The X keycode of the key a virtual key code names by its position: letters, digits and
/// punctuation, whose characters differ between layouts. There the server's keycodes are the
/// kernel's (evdev) codes plus 8 under both of XKB's keycode sets. Nothing for other codes.
std::optional<std::uint8_t> positionKeycode(std::uint32_t keyCode);
/// The virtual key code of the key at X keycode `keycode`, when it is one of those positions.
std::optional<std::uint32_t> keyCodeAtPosition(std::uint8_t keycode);
/// The label of a keysym as typed: its character, capitalised; nothing for keysyms without a
/// single printable character (dead keys, functions).
std::optional<std::string> keysymLabel(std::uint32_t keysym);

/// The keysym a virtual key code stands for with a US layout. Keys that are not positions (see
/// above) are grabbed and recognised by it, so remapping e.g. Escape moves its shortcuts along.
/// Nothing for codes without a keysym here (modifier keys, input-method keys).
std::optional<std::uint32_t> keysymForKeyCode(std::uint32_t keyCode);
/// The virtual key code of `keysym`; nothing when no virtual key code stands for it.
std::optional<std::uint32_t> keyCodeForKeysym(std::uint32_t keysym);
/// Every virtual key code with its keysym.
const std::vector<std::pair<std::uint32_t, std::uint32_t>>& keysymTable();

/// X modifier mask of stored modifier bits: control → Control, option → Mod1 (Alt), shift → Shift,
/// command → Mod4 (Super). The function bit has no X counterpart and is dropped.
std::uint16_t xModifiers(std::uint32_t modifiers);
/// Stored modifier bits of an X state: the four above; locks, Mod2/3/5 and buttons are dropped.
std::uint32_t storedModifiers(std::uint32_t xState);

} // namespace tintwell::platform::x11
