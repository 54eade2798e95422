#pragma once

#include "shortcuts/global_shortcuts.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tintwell::watchers {

/// The application's six shortcut slots, none with a default combination.
namespace hotkeys {
inline const shortcuts::Name togglePause{"tintwell.togglePause", std::nullopt};
inline const shortcuts::Name toggleManualOverride{"tintwell.toggleManualOverride", std::nullopt};
inline const shortcuts::Name nextProfile{"tintwell.nextProfile", std::nullopt};
inline const shortcuts::Name previousProfile{"tintwell.previousProfile", std::nullopt};
inline const shortcuts::Name warmer{"tintwell.warmer", std::nullopt};
inline const shortcuts::Name cooler{"tintwell.cooler", std::nullopt};

/// The six, in the order the hotkeys screen lists them.
const std::vector<shortcuts::Name>& allTintwell();
/// The label of a slot on the hotkeys screen: "Toggle Pause", "Warmer (−250 K)"…
std::string label(const shortcuts::Name& name);
/// The slot named by its raw value ("tintwell.warmer") or the part after "tintwell." ("warmer").
std::optional<shortcuts::Name> find(std::string_view name);
} // namespace hotkeys

} // namespace tintwell::watchers
