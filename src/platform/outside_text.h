#pragma once

#include <string>
#include <string_view>

namespace tintwell::platform {

/// `bytes` as valid UTF-8: each invalid sequence becomes U+FFFD. Text from other programs (window
/// classes, desktop entries) carries whatever bytes they wrote, and a JSON writer refuses those.
std::string validUtf8(std::string_view bytes);

/// `text` fit to print on a terminal: valid UTF-8 whose control characters (C0 but tab, DEL, C1) are
/// shown as \xNN, so that outside text can neither send escape sequences nor start a line of its own.
std::string terminalSafe(std::string_view text);

} // namespace tintwell::platform
