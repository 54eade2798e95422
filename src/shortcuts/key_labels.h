#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tintwell::shortcuts {

/// What the key at a virtual key code types in the keyboard layout in use ("Ö"), when its name
/// depends on the layout; nothing otherwise.
using LayoutLabels = std::function<std::optional<std::string>(int keyCode)>;
/// Where `keyLabel` and `keyCodeForLabel` learn the layout; without it they use a US layout.
void setLayoutLabels(LayoutLabels labels);

/// The name people read for a virtual key code: "K", "5", "=", "F12", "Up", "Space", keypad keys as
/// "Num+5"; letters, digits and punctuation as the current layout types them ("Ö"). Nothing for a
/// code without one.
std::optional<std::string> keyLabel(int keyCode);
/// The virtual key code of a label as `keyLabel` writes it or a common alias, ignoring case; with
/// `keypad`, among the keypad keys only ("5", "+", "Enter"…).
std::optional<int> keyCodeForLabel(std::string_view label, bool keypad);

} // namespace tintwell::shortcuts
