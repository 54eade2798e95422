#pragma once

// The combinations and slots the shortcut tests assign, in memory and on the X server alike.

#include "shortcuts/global_shortcuts.h"

namespace tintwell::test {

inline const shortcuts::Shortcut ctrlAltP{int(platform::vk::p),
                                          int(platform::modifier::control | platform::modifier::option)};
inline const shortcuts::Shortcut ctrlAltK{int(platform::vk::k),
                                          int(platform::modifier::control | platform::modifier::option)};
inline const shortcuts::Name pause{"tintwell.togglePause", std::nullopt};
inline const shortcuts::Name cooler{"tintwell.cooler", std::nullopt};

} // namespace tintwell::test
