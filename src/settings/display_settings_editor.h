#pragma once

#include "settings/app_state.h"
#include "settings/display_lookup.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include <QObject>

namespace tintwell::settings {

/// One of the six profile values.
enum class ProfileField { DayKelvin, NightKelvin, TransitionWidthDeg, Brightness, Gamma, ManualKelvin };

/// The editing scope of the settings sliders: all displays together (the global values), or one
/// display's own values. The first edit of a display without an override creates a complete one
/// seeded from the global values at that moment. Main thread only.
class DisplaySettingsEditor : public QObject {
    Q_OBJECT
public:
    DisplaySettingsEditor(AppState& state, platform::DisplayServices& services, QObject* parent = nullptr);

    /// Re-reads the connected displays and their keys (straight from the platform, not through the
    /// identity cache), and drops an edit target that is no longer connected.
    void refreshConnectedDisplays();
    const std::vector<DisplayInfo>& connectedDisplays() const { return connectedDisplays_; }
    /// The key of each connected display that has one.
    const std::unordered_map<core::DisplayId, std::string>& displayKeys() const { return displayKeys_; }

    /// The display the sliders edit; nothing for all displays.
    std::optional<core::DisplayId> editTargetId() const { return editTargetId_; }
    void setEditTargetId(std::optional<core::DisplayId> id);
    /// The key edits go to; nothing when editing the global values (no target, or a target
    /// without a key).
    std::optional<std::string> editTargetKey() const;
    /// Whether the display with `id` has its own values.
    bool hasOverride(core::DisplayId id) const;

    /// The values the sliders show: the target's override, else the global values.
    core::DisplaySettings effectiveSettings() const;
    double scopedValue(ProfileField field) const;
    /// Writes to the target's override (creating it from the global values), or to the global
    /// property when editing all displays.
    void setScopedValue(ProfileField field, double value);
    /// Gives the target display back to the global values.
    void useGlobalForTarget();

Q_SIGNALS:
    void connectedDisplaysChanged();
    void editTargetIdChanged(std::optional<tintwell::core::DisplayId> id);

private:
    AppState& state_;
    platform::DisplayServices& services_;
    std::vector<DisplayInfo> connectedDisplays_;
    std::unordered_map<core::DisplayId, std::string> displayKeys_;
    std::optional<core::DisplayId> editTargetId_;
};

} // namespace tintwell::settings
