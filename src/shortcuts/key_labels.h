#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tintwell::shortcuts {

/// The name people read for a virtual key code: "K", "5", "=", "F12", "Up", "Space", keypad keys as
/// "Num+5". Nothing for a code without one.
std::optional<std::string> keyLabel(int keyCode);
/// The virtual key code of a label as `keyLabel` writes it or a common alias, ignoring case; with
/// `keypad`, among the keypad keys only ("5", "+", "Enter"…).
std::optional<int> keyCodeForLabel(std::string_view label, bool keypad);

} // namespace tintwell::shortcuts
