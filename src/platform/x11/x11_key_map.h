#pragma once

#include "platform/key_combination.h"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace tintwell::platform::x11 {

/// The keysym a virtual key code stands for: the character or function, not a position, so a
/// stored combination follows the user's keyboard layout. Nothing for codes without a keysym here
/// (modifier keys, input-method keys).
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
