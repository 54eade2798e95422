#pragma once

#include "core/instant.h"
#include "core/uuid.h"
#include "core/value_records.h"
#include "settings/setting_ranges.h"
#include "settings/user_defaults.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QObject>

namespace tintwell::settings {

/// Whether the user lets the application look for updates by itself.
enum class UpdateConsent { Undecided, Allowed, Declined };

/// "undecided", "allowed" or "declined": the stored form.
std::string toString(UpdateConsent consent);
/// The case named exactly (case-sensitive); nothing for any other text.
std::optional<UpdateConsent> updateConsentFromString(std::string_view text);

/// Display key (upper-case UUID) to that display's own six values.
using DisplayOverrides = std::map<std::string, core::DisplaySettings>;

/// The keys under which AppState keeps its values.
namespace keys {
inline constexpr const char* prefix = "tintwell.";
inline constexpr const char* dayKelvin = "tintwell.dayKelvin";
inline constexpr const char* nightKelvin = "tintwell.nightKelvin";
inline constexpr const char* transitionWidthDeg = "tintwell.transitionWidthDeg";
inline constexpr const char* brightness = "tintwell.brightness";
inline constexpr const char* gamma = "tintwell.gamma";
inline constexpr const char* manualOverride = "tintwell.manualOverride";
inline constexpr const char* manualKelvin = "tintwell.manualKelvin";
inline constexpr const char* manualOverrideUntil = "tintwell.manualOverrideUntil";
inline constexpr const char* paused = "tintwell.paused";
inline constexpr const char* useAutoLocation = "tintwell.useAutoLocation";
inline constexpr const char* latitude = "tintwell.latitude";
inline constexpr const char* longitude = "tintwell.longitude";
inline constexpr const char* profiles = "tintwell.profiles";
inline constexpr const char* activeProfileId = "tintwell.activeProfileId";
inline constexpr const char* updateChannel = "tintwell.updateChannel";
inline constexpr const char* updateConsent = "tintwell.updateConsent";
inline constexpr const char* appExceptions = "tintwell.appExceptions";
inline constexpr const char* displayOverrides = "tintwell.displayOverrides";
} // namespace keys

/// Every user setting, observable, persisted to the user defaults at once on every assignment.
///
/// Each setter notifies `objectWillChange()` first, then stores the value, then emits the
/// property's own `xxxChanged(value)` signal — on every assignment, equal values included (listeners
/// de-duplicate) — and finally persists. Nothing is validated or clamped: the writers own the
/// ranges. Main thread only.
class AppState : public QObject {
    Q_OBJECT
public:
    /// Loads every setting from `defaults`, which must outlive the store. Writes nothing.
    explicit AppState(UserDefaults& defaults, QObject* parent = nullptr);

    UserDefaults& defaults() const { return defaults_; }

    /// Reads every setting again, after another process changed the store: each is assigned (and
    /// announced) as by its setter, nothing is written. Values not usable as stored are logged,
    /// reported to the store and replaced by their defaults or held to their ranges.
    void reload();

    // The six profile values.
    double dayKelvin() const { return dayKelvin_; }                   ///< Kelvin
    double nightKelvin() const { return nightKelvin_; }               ///< Kelvin
    double transitionWidthDeg() const { return transitionWidthDeg_; } ///< degrees of solar altitude
    double brightness() const { return brightness_; }                 ///< multiplier
    double gamma() const { return gamma_; }                           ///< exponent
    double manualKelvin() const { return manualKelvin_; }             ///< Kelvin
    void setDayKelvin(double v) { assignAndSave(dayKelvin_, v, &AppState::dayKelvinChanged); }
    void setNightKelvin(double v) { assignAndSave(nightKelvin_, v, &AppState::nightKelvinChanged); }
    void setTransitionWidthDeg(double v) {
        assignAndSave(transitionWidthDeg_, v, &AppState::transitionWidthDegChanged);
    }
    void setBrightness(double v) { assignAndSave(brightness_, v, &AppState::brightnessChanged); }
    void setGamma(double v) { assignAndSave(gamma_, v, &AppState::gammaChanged); }
    void setManualKelvin(double v) { assignAndSave(manualKelvin_, v, &AppState::manualKelvinChanged); }

    bool manualOverride() const { return manualOverride_; }
    /// Switching the override off also forgets its end.
    void setManualOverride(bool v);
    std::optional<Instant> manualOverrideUntil() const { return manualOverrideUntil_; }
    void setManualOverrideUntil(std::optional<Instant> v) {
        assignAndSave(manualOverrideUntil_, v, &AppState::manualOverrideUntilChanged);
    }
    bool paused() const { return paused_; }
    void setPaused(bool v) { assignAndSave(paused_, v, &AppState::pausedChanged); }
    bool useAutoLocation() const { return useAutoLocation_; }
    void setUseAutoLocation(bool v) { assignAndSave(useAutoLocation_, v, &AppState::useAutoLocationChanged); }
    double latitude() const { return latitude_; }   ///< degrees, north positive
    double longitude() const { return longitude_; } ///< degrees, east positive
    void setLatitude(double v) { assignAndSave(latitude_, v, &AppState::latitudeChanged); }
    void setLongitude(double v) { assignAndSave(longitude_, v, &AppState::longitudeChanged); }
    const std::vector<core::Profile>& profiles() const { return profiles_; }
    void setProfiles(std::vector<core::Profile> v);
    std::optional<core::Uuid> activeProfileId() const { return activeProfileId_; }
    void setActiveProfileId(std::optional<core::Uuid> v);
    const std::string& updateChannel() const { return updateChannel_; }
    void setUpdateChannel(std::string v) {
        assignAndSave(updateChannel_, std::move(v), &AppState::updateChannelChanged);
    }
    UpdateConsent updateConsent() const { return updateConsent_; }
    void setUpdateConsent(UpdateConsent v);
    const std::vector<core::AppExceptionRule>& appExceptions() const { return appExceptions_; }
    void setAppExceptions(std::vector<core::AppExceptionRule> v);
    const DisplayOverrides& displayOverrides() const { return displayOverrides_; }
    void setDisplayOverrides(DisplayOverrides v);

    // Live values published by the tick loop for the interface; never persisted.
    double currentAltitude() const { return currentAltitude_; } ///< degrees
    double currentKelvin() const { return currentKelvin_; }     ///< Kelvin
    void setCurrentAltitude(double v) { assign(currentAltitude_, v, &AppState::currentAltitudeChanged); }
    void setCurrentKelvin(double v) { assign(currentKelvin_, v, &AppState::currentKelvinChanged); }

    /// While true, assignments notify but write nothing; set around bulk changes.
    bool suspendSave() const { return suspendSave_; }
    void setSuspendSave(bool v) { suspendSave_ = v; }

    /// Writes those of the thirteen scalar keys whose value changed since they were last loaded or
    /// saved, as one write (not the lists, the identifier or the consent).
    void save();

    /// True when the store holds any "tintwell." key other than the consent: settings from a run
    /// made before consent was asked for.
    static bool hasAnyPriorState(const UserDefaults& defaults);

    // Per-display overrides.
    /// The store's six profile values.
    core::DisplaySettings globalDisplaySettings() const;
    /// Inserts or replaces the override of the display `key`.
    void setDisplaySettings(const core::DisplaySettings& settings, const std::string& key);
    /// Removes the override of the display `key`; the map is written back either way.
    void clearDisplayOverride(const std::string& key);

    // Profiles.
    core::Profile currentSettingsSnapshot(const std::string& name, const core::Uuid& id) const;
    /// Appends the current values as a new profile with a fresh identifier and makes it active.
    core::Profile saveCurrentAsProfile(const std::string& name);
    /// Copies the profile's six values in with one write, then makes it active.
    void applyProfile(const core::Profile& profile);
    /// Writes the current six values into the active user profile; nothing for a preset.
    void updateActiveProfileFromCurrentSettings();
    /// Removes every user profile with `id`; clears the active one when it was that.
    void deleteProfile(const core::Uuid& id);
    /// Moves the profiles at `from` so that they land before position `to` (counted before removal),
    /// keeping their order. Positions outside the list are ignored.
    void moveProfile(const std::vector<std::size_t>& from, std::size_t to);
    /// The first user profile with `id`, else the built-in preset with it, else nothing.
    std::optional<core::Profile> findProfile(const core::Uuid& id) const;
    /// True unless the active profile exists and all six values equal it exactly.
    bool isActiveProfileDirty() const;
    /// The active profile's name, or "Custom".
    std::string activeProfileName() const;

Q_SIGNALS:
    /// Sent before any assignment takes effect.
    void objectWillChange();
    void dayKelvinChanged(double value);
    void nightKelvinChanged(double value);
    void transitionWidthDegChanged(double value);
    void brightnessChanged(double value);
    void gammaChanged(double value);
    void manualOverrideChanged(bool value);
    void manualKelvinChanged(double value);
    void manualOverrideUntilChanged(std::optional<tintwell::Instant> value);
    void pausedChanged(bool value);
    void useAutoLocationChanged(bool value);
    void latitudeChanged(double value);
    void longitudeChanged(double value);
    void profilesChanged(const std::vector<tintwell::core::Profile>& value);
    void activeProfileIdChanged(std::optional<tintwell::core::Uuid> value);
    void updateChannelChanged(const std::string& value);
    void updateConsentChanged(tintwell::settings::UpdateConsent value);
    void appExceptionsChanged(const std::vector<tintwell::core::AppExceptionRule>& value);
    void displayOverridesChanged(const tintwell::settings::DisplayOverrides& value);
    void currentAltitudeChanged(double value);
    void currentKelvinChanged(double value);

private:
    /// Every setter: will-change, store, changed(value).
    template <class T, class Signal>
    void assign(T& field, T value, Signal changed) {
        Q_EMIT objectWillChange();
        field = std::move(value);
        Q_EMIT(this->*changed)(field);
    }
    template <class T, class Signal>
    void assignAndSave(T& field, T value, Signal changed) {
        assign(field, std::move(value), changed);
        save();
    }

    void load();
    std::vector<std::pair<std::string, Value>> scalarValues() const;
    double readDouble(const char* name, double fallback, std::optional<SettingRange> range = {}) const;
    bool readBool(const char* name, bool fallback) const;
    std::string readString(const char* name, const std::string& fallback) const;
    void saveActiveProfileId();
    template <class T>
    void saveJson(const char* key, const T& value);

    UserDefaults& defaults_;
    double dayKelvin_ = 6500;
    double nightKelvin_ = 3400;
    double transitionWidthDeg_ = 12;
    double brightness_ = 1.0;
    double gamma_ = 1.0;
    bool manualOverride_ = false;
    double manualKelvin_ = 5000;
    std::optional<Instant> manualOverrideUntil_;
    bool paused_ = false;
    bool useAutoLocation_ = true;
    double latitude_ = 37.7749;
    double longitude_ = -122.4194;
    std::vector<core::Profile> profiles_;
    std::optional<core::Uuid> activeProfileId_;
    std::string updateChannel_ = "stable";
    UpdateConsent updateConsent_ = UpdateConsent::Undecided;
    std::vector<core::AppExceptionRule> appExceptions_;
    DisplayOverrides displayOverrides_;
    double currentAltitude_ = 0;
    double currentKelvin_ = 6500;
    bool suspendSave_ = false;
    std::map<std::string, Value> saved_; ///< the scalar values as last loaded or saved
};

} // namespace tintwell::settings
