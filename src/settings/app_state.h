#pragma once

#include "core/instant.h"
#include "core/setting_table.h"
#include "core/uuid.h"
#include "core/value_records.h"
#include "settings/user_defaults.h"

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include <QObject>

namespace tintwell::settings {

class AutostartEntry;

/// Whether the user lets the application look for updates by itself.
enum class UpdateConsent { Undecided, Allowed, Declined };

/// "undecided", "allowed" or "declined": the stored form.
std::string toString(UpdateConsent consent);
/// The case named exactly (case-sensitive); nothing for any other text.
std::optional<UpdateConsent> updateConsentFromString(std::string_view text);

/// Display key (upper-case UUID) to that display's own six values.
using DisplayOverrides = std::map<std::string, core::DisplaySettings>;

/// A scalar setting's value, of the kind its row's type names.
using SettingValue = std::variant<double, bool, std::optional<Instant>, std::string, UpdateConsent>;

/// The key under which the scalar setting `id` is stored: "tintwell." followed by its name.
std::string storedKey(core::SettingId id);

/// The keys under which AppState keeps its lists and the active profile.
namespace keys {
inline constexpr const char* prefix = "tintwell.";
inline constexpr const char* profiles = "tintwell.profiles";
inline constexpr const char* activeProfileId = "tintwell.activeProfileId";
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
    ~AppState() override;

    UserDefaults& defaults() const { return defaults_; }

    /// Reads every setting again, after another process changed the store: each is assigned (and
    /// announced) as by its setter, nothing is written. Values not usable as stored are logged,
    /// reported to the store and replaced by their defaults or held to their ranges.
    void reload();

    /// The scalar setting `id` (a row of core::settingRows) as in force.
    const SettingValue& value(core::SettingId id) const { return scalars_[id.index]; }
    /// Assigns the scalar setting `id`, with a value of its row's type, as its typed setter does:
    /// its own `xxxChanged` signal where it has one, then settingChanged(id.index), then the write. Switching
    /// the manual override off also forgets its end; the consent is written on its own.
    void setValue(core::SettingId id, SettingValue v);

    // The six profile values.
    double dayKelvin() const { return get<double>("dayKelvin"); }                   ///< Kelvin
    double nightKelvin() const { return get<double>("nightKelvin"); }               ///< Kelvin
    double transitionWidthDeg() const { return get<double>("transitionWidthDeg"); } ///< degrees of altitude
    double brightness() const { return get<double>("brightness"); }                 ///< multiplier
    double gamma() const { return get<double>("gamma"); }                           ///< exponent
    double manualKelvin() const { return get<double>("manualKelvin"); }             ///< Kelvin
    void setDayKelvin(double v) { setValue("dayKelvin", v); }
    void setNightKelvin(double v) { setValue("nightKelvin", v); }
    void setTransitionWidthDeg(double v) { setValue("transitionWidthDeg", v); }
    void setBrightness(double v) { setValue("brightness", v); }
    void setGamma(double v) { setValue("gamma", v); }
    void setManualKelvin(double v) { setValue("manualKelvin", v); }

    bool manualOverride() const { return get<bool>("manualOverride"); }
    void setManualOverride(bool v) { setValue("manualOverride", v); }
    std::optional<Instant> manualOverrideUntil() const {
        return get<std::optional<Instant>>("manualOverrideUntil");
    }
    void setManualOverrideUntil(std::optional<Instant> v) { setValue("manualOverrideUntil", v); }
    bool paused() const { return get<bool>("paused"); }
    void setPaused(bool v) { setValue("paused", v); }
    bool useAutoLocation() const { return get<bool>("useAutoLocation"); }
    void setUseAutoLocation(bool v) { setValue("useAutoLocation", v); }
    double latitude() const { return get<double>("latitude"); }   ///< degrees, north positive
    double longitude() const { return get<double>("longitude"); } ///< degrees, east positive
    void setLatitude(double v) { setValue("latitude", v); }
    void setLongitude(double v) { setValue("longitude", v); }
    /// False until a place was given (a fix, the time zone's estimate, typed or picked): the
    /// latitude and longitude are then only the defaults, which no display is tinted by. Assigning
    /// either makes it true.
    bool locationKnown() const { return get<bool>("locationKnown"); }
    /// "Start at login": whether the autostart entry is there. Without an entry (useAutostartEntry)
    /// the value lives in memory only.
    bool startAtLogin() const { return get<bool>("startAtLogin"); }
    void setStartAtLogin(bool v) { setValue("startAtLogin", v); }
    const std::string& updateChannel() const { return get<std::string>("updateChannel"); }
    void setUpdateChannel(std::string v) { setValue("updateChannel", std::move(v)); }
    UpdateConsent updateConsent() const { return get<UpdateConsent>("updateConsent"); }
    void setUpdateConsent(UpdateConsent v) { setValue("updateConsent", v); }

    const std::vector<core::Profile>& profiles() const { return profiles_; }
    void setProfiles(std::vector<core::Profile> v);
    std::optional<core::Uuid> activeProfileId() const { return activeProfileId_; }
    void setActiveProfileId(std::optional<core::Uuid> v);
    const std::vector<core::AppExceptionRule>& appExceptions() const { return appExceptions_; }
    void setAppExceptions(std::vector<core::AppExceptionRule> v);
    const DisplayOverrides& displayOverrides() const { return displayOverrides_; }
    void setDisplayOverrides(DisplayOverrides v);

    // Live values published by the tick loop for the interface; never persisted.
    double currentAltitude() const { return currentAltitude_; } ///< degrees
    double currentKelvin() const { return currentKelvin_; }     ///< Kelvin
    void setCurrentAltitude(double v) { assign(currentAltitude_, v, &AppState::currentAltitudeChanged); }
    void setCurrentKelvin(double v) { assign(currentKelvin_, v, &AppState::currentKelvinChanged); }

    /// Keeps startAtLogin as the presence of `entry` from now on, reading it at once.
    void useAutostartEntry(std::unique_ptr<AutostartEntry> entry);
    /// Reads the autostart entry again (another process or the user may have added or removed it).
    void rereadAutostartEntry();
    /// Why the last write of the autostart entry failed; nothing when it succeeded.
    const std::optional<std::string>& autostartError() const { return autostartError_; }

    /// While true, assignments notify but write nothing; set around bulk changes.
    void setSuspendSave(bool v) { suspendSave_ = v; }

    /// Writes those of the scalar keys whose value changed since they were last loaded or saved, as
    /// one write (not the lists, the identifier or the consent).
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
    /// After any scalar setting's own signal: `index` is its row in core::settingRows.
    void settingChanged(std::size_t index);
    // Each row's own signal is named after it: a row without one fails at the first construction.
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
    void locationKnownChanged(bool value);
    void startAtLoginChanged(bool value);
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
    template <class T>
    const T& get(core::SettingId id) const {
        return std::get<T>(scalars_[id.index]);
    }

    void load();
    void announce(std::size_t index);
    std::vector<std::pair<std::string, Value>> scalarValues() const;
    SettingValue readStored(core::SettingId id) const;
    double readDouble(const std::string& key, double fallback,
                      std::optional<core::NumberRange> range = {}) const;
    bool readBool(const std::string& key, bool fallback) const;
    std::string readString(const std::string& key, const std::string& fallback) const;
    void saveActiveProfileId();
    template <class T>
    void saveJson(const char* key, const T& value);

    UserDefaults& defaults_;
    std::array<SettingValue, core::settingRows.size()> scalars_;
    std::vector<core::Profile> profiles_;
    std::optional<core::Uuid> activeProfileId_;
    std::vector<core::AppExceptionRule> appExceptions_;
    DisplayOverrides displayOverrides_;
    double currentAltitude_ = 0;
    double currentKelvin_ = 6500;
    bool suspendSave_ = false;
    bool loading_ = false;
    std::unique_ptr<AutostartEntry> autostart_;
    std::optional<std::string> autostartError_;
    std::map<std::string, Value> saved_; ///< the scalar values as last loaded or saved
};

} // namespace tintwell::settings
