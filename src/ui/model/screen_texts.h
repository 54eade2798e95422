#pragma once

#include "core/value_records.h"
#include "platform/workspace_services.h"
#include "settings/app_state.h"
#include "watchers/app_exceptions_manager.h"

#include <optional>
#include <set>
#include <string>
#include <variant>
#include <vector>

namespace tintwell::ui {

/// "6500 K → 3400 K · 12°": Kelvin values with fractions dropped, the width rounded.
std::string profileSummary(const core::Profile& profile);

/// Where the exception in force acts, for the editor's diagnosis.
namespace rule_scope {
struct None {
    bool operator==(const None&) const = default;
};
struct NotRunning {
    bool operator==(const NotRunning&) const = default;
};
struct NoWindows {
    bool operator==(const NoWindows&) const = default;
};
using Displays = std::set<core::DisplayId>;
} // namespace rule_scope
using RuleScope =
    std::variant<rule_scope::None, rule_scope::NotRunning, rule_scope::NoWindows, rule_scope::Displays>;

/// The "Affects:" line: "—", the dormant reasons, or the display names sorted and joined by ", ".
std::string affectsText(const RuleScope& scope, const std::vector<std::string>& displayNames);

/// What the frontmost display receives now: pause first, then the manual override, then a rule in
/// force on some display, else the curve.
std::string targetSummary(const settings::AppState& state, const RuleScope& scope,
                          const std::optional<watchers::ResolvedAppOverride>& activeOverride);

/// The picker's list: regular applications with an id, by name in plain ascending order.
std::vector<platform::RunningApplication>
pickableApplications(std::vector<platform::RunningApplication> apps);
/// Those whose lower-cased name or id contains the lower-cased search text; all when it is empty.
std::vector<platform::RunningApplication>
filterApplications(const std::vector<platform::RunningApplication>& apps, const std::string& search);
/// The name a picked application is added under: its name, else its id, else "App".
std::string pickedDisplayName(const platform::RunningApplication& app);

} // namespace tintwell::ui
