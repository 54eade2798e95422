#include "settings/display_settings_editor.h"

#include <algorithm>

namespace tintwell::settings {

using core::DisplaySettings;

namespace {

/// Where one profile value lives in a display's settings and in the store.
struct FieldAccess {
    double DisplaySettings::*member;
    void (AppState::*setGlobal)(double);
};

const FieldAccess& access(ProfileField field) {
    static const FieldAccess table[] = {
        // in the order of ProfileField
        {&DisplaySettings::dayKelvin, &AppState::setDayKelvin},
        {&DisplaySettings::nightKelvin, &AppState::setNightKelvin},
        {&DisplaySettings::transitionWidthDeg, &AppState::setTransitionWidthDeg},
        {&DisplaySettings::brightness, &AppState::setBrightness},
        {&DisplaySettings::gamma, &AppState::setGamma},
        {&DisplaySettings::manualKelvin, &AppState::setManualKelvin},
    };
    return table[static_cast<std::size_t>(field)];
}

} // namespace

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
    return effectiveSettings().*access(field).member;
}

void DisplaySettingsEditor::setScopedValue(ProfileField field, double value) {
    const FieldAccess& where = access(field);
    if (const auto key = editTargetKey()) {
        DisplaySettings s = effectiveSettings();
        s.*where.member = value;
        state_.setDisplaySettings(s, *key);
    } else {
        (state_.*where.setGlobal)(value);
    }
}

void DisplaySettingsEditor::useGlobalForTarget() {
    if (const auto key = editTargetKey())
        state_.clearDisplayOverride(*key);
}

} // namespace tintwell::settings
