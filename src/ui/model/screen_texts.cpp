#include "ui/model/screen_texts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <QString>

namespace tintwell::ui {

namespace {
std::string wholeKelvin(double kelvin) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f K", std::round(kelvin) + 0.0);
    return text;
}

std::string lowered(const std::string& s) {
    return QString::fromStdString(s).toLower().toStdString();
}
} // namespace

std::string profileSummary(const core::Profile& p) {
    char text[96];
    std::snprintf(text, sizeof text, "%lld K → %lld K · %.0f°", static_cast<long long>(p.dayKelvin),
                  static_cast<long long>(p.nightKelvin), p.transitionWidthDeg);
    return text;
}

std::string affectsText(const RuleScope& scope, const std::vector<std::string>& displayNames) {
    if (std::holds_alternative<rule_scope::None>(scope))
        return "—";
    if (std::holds_alternative<rule_scope::NotRunning>(scope))
        return "app not running (rule dormant)";
    if (std::holds_alternative<rule_scope::NoWindows>(scope))
        return "no on-screen windows (rule dormant)";
    std::vector<std::string> names = displayNames;
    std::sort(names.begin(), names.end());
    std::string joined;
    for (const std::string& n : names)
        joined += (joined.empty() ? "" : ", ") + n;
    return joined;
}

std::string targetSummary(const settings::AppState& state, const RuleScope& scope,
                          const std::optional<watchers::ResolvedAppOverride>& activeOverride) {
    if (state.paused())
        return "identity (paused)";
    if (state.manualOverride())
        return wholeKelvin(state.manualKelvin()) + " (manual)";
    if (activeOverride && std::holds_alternative<rule_scope::Displays>(scope)) {
        if (const auto* force = std::get_if<core::ForceKelvin>(&activeOverride->rule.action))
            return wholeKelvin(force->kelvin) + " (rule)";
        return "identity (rule → native color)";
    }
    return wholeKelvin(state.currentKelvin()) + " (curve)";
}

std::vector<platform::RunningApplication>
pickableApplications(std::vector<platform::RunningApplication> apps) {
    std::erase_if(apps, [](const platform::RunningApplication& a) {
        return a.activationPolicy != platform::ActivationPolicy::Regular || a.applicationId.empty();
    });
    std::stable_sort(apps.begin(), apps.end(),
                     [](const auto& a, const auto& b) { return a.localizedName < b.localizedName; });
    return apps;
}

std::vector<platform::RunningApplication>
filterApplications(const std::vector<platform::RunningApplication>& apps, const std::string& search) {
    if (search.empty())
        return apps;
    const std::string needle = lowered(search);
    std::vector<platform::RunningApplication> shown;
    for (const auto& a : apps)
        if (lowered(a.localizedName).find(needle) != std::string::npos ||
            lowered(a.applicationId).find(needle) != std::string::npos)
            shown.push_back(a);
    return shown;
}

std::string pickedDisplayName(const platform::RunningApplication& app) {
    if (!app.localizedName.empty())
        return app.localizedName;
    if (!app.applicationId.empty())
        return app.applicationId;
    return "App";
}

} // namespace tintwell::ui
