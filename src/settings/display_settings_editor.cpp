#include "settings/display_settings_editor.h"

#include <algorithm>

namespace tintwell::settings {

using core::DisplaySettings;

double fieldOf(const DisplaySettings& s, ProfileField field) {
    switch (field) {
    case ProfileField::DayKelvin:
        return s.dayKelvin;
    case ProfileField::NightKelvin:
        return s.nightKelvin;
    case ProfileField::TransitionWidthDeg:
        return s.transitionWidthDeg;
    case ProfileField::Brightness:
        return s.brightness;
    case ProfileField::Gamma:
        return s.gamma;
    case ProfileField::ManualKelvin:
        return s.manualKelvin;
    }
    return 0;
}

void setFieldOf(DisplaySettings& s, ProfileField field, double value) {
    switch (field) {
    case ProfileField::DayKelvin:
        s.dayKelvin = value;
        break;
    case ProfileField::NightKelvin:
        s.nightKelvin = value;
        break;
    case ProfileField::TransitionWidthDeg:
        s.transitionWidthDeg = value;
        break;
    case ProfileField::Brightness:
        s.brightness = value;
        break;
    case ProfileField::Gamma:
        s.gamma = value;
        break;
    case ProfileField::ManualKelvin:
        s.manualKelvin = value;
        break;
    }
}

DisplaySettingsEditor::DisplaySettingsEditor(AppState& state, platform::DisplayServices& services,
                                             QObject* parent)
    : QObject(parent), state_(state), services_(services) {}

void DisplaySettingsEditor::refreshConnectedDisplays() {
    connectedDisplays_ = DisplayLookup(services_).connectedDisplays();
    displayKeys_.clear();
    for (const auto& d : connectedDisplays_) {
        const auto description = services_.describe(d.id);
        if (description && description->key)
            displayKeys_.emplace(d.id, *description->key);
    }
    Q_EMIT connectedDisplaysChanged();
    if (editTargetId_ && std::none_of(connectedDisplays_.begin(), connectedDisplays_.end(),
                                      [&](const DisplayInfo& d) { return d.id == *editTargetId_; }))
        setEditTargetId(std::nullopt);
}

void DisplaySettingsEditor::setEditTargetId(std::optional<core::DisplayId> id) {
    editTargetId_ = id;
    Q_EMIT editTargetIdChanged(editTargetId_);
}

std::optional<std::string> DisplaySettingsEditor::editTargetKey() const {
    if (!editTargetId_)
        return std::nullopt;
    const auto it = displayKeys_.find(*editTargetId_);
    if (it == displayKeys_.end())
        return std::nullopt;
    return it->second;
}

bool DisplaySettingsEditor::hasOverride(core::DisplayId id) const {
    const auto it = displayKeys_.find(id);
    return it != displayKeys_.end() && state_.displayOverrides().contains(it->second);
}

DisplaySettings DisplaySettingsEditor::effectiveSettings() const {
    if (const auto key = editTargetKey()) {
        const auto& overrides = state_.displayOverrides();
        if (const auto it = overrides.find(*key); it != overrides.end())
            return it->second;
    }
    return state_.globalDisplaySettings();
}

double DisplaySettingsEditor::scopedValue(ProfileField field) const {
    return fieldOf(effectiveSettings(), field);
}

void DisplaySettingsEditor::setScopedValue(ProfileField field, double value) {
    if (const auto key = editTargetKey()) {
        DisplaySettings s = effectiveSettings();
        setFieldOf(s, field, value);
        state_.setDisplaySettings(s, *key);
        return;
    }
    switch (field) {
    case ProfileField::DayKelvin:
        state_.setDayKelvin(value);
        break;
    case ProfileField::NightKelvin:
        state_.setNightKelvin(value);
        break;
    case ProfileField::TransitionWidthDeg:
        state_.setTransitionWidthDeg(value);
        break;
    case ProfileField::Brightness:
        state_.setBrightness(value);
        break;
    case ProfileField::Gamma:
        state_.setGamma(value);
        break;
    case ProfileField::ManualKelvin:
        state_.setManualKelvin(value);
        break;
    }
}

void DisplaySettingsEditor::useGlobalForTarget() {
    if (const auto key = editTargetKey())
        state_.clearDisplayOverride(*key);
}

} // namespace tintwell::settings
