#pragma once

#include "settings/app_state.h"

#include <string>

#include <QObject>

namespace tintwell::settings {

/// The read/write handle through which the profile editor shows and renames one user profile.
/// A profile that has disappeared reads as a placeholder with the default values and an empty name;
/// writes to it are dropped.
class UserProfileBinding {
public:
    UserProfileBinding(AppState& state, const core::Uuid& id) : state_(&state), id_(id) {}

    core::Profile value() const;
    /// Replaces the first user profile with this identifier, name as typed (not trimmed, not made
    /// unique), and persists the list.
    void setValue(const core::Profile& profile) const;

private:
    AppState* state_;
    core::Uuid id_;
};

/// What the profile screens do to the store, without any widget: naming, saving, duplicating,
/// moving and reverting profiles. Main thread only.
class ProfileManager : public QObject {
    Q_OBJECT
public:
    explicit ProfileManager(AppState& state, QObject* parent = nullptr);

    /// `base` itself when no user profile has that name, else `base 2`, `base 3`, … (preset names
    /// do not count; comparison is exact).
    std::string uniqueProfileName(const std::string& base) const;
    /// The suggestion for the new-profile name field.
    std::string defaultNewProfileName() const;

    /// The text of the new-profile name field.
    const std::string& newProfileName() const { return newProfileName_; }
    void setNewProfileName(std::string name);
    /// Saves the current values under the typed name, trimmed, and empties the field; does nothing
    /// when the trimmed name is empty.
    void saveNewProfile();

    /// Appends a copy of `profile` with a fresh identifier, named uniquely from `namePrefix` and the
    /// original's name, and makes it active without applying it. Presets take an empty prefix, user
    /// profiles "Copy of ".
    core::Profile duplicateProfile(const core::Profile& profile, const std::string& namePrefix);
    /// Whether the user profile `id` can move by `offset` places (negative: towards the top).
    bool canMoveProfile(const core::Uuid& id, int offset) const;
    /// Moves the user profile `id` by `offset` places; nothing when it would leave the list.
    void moveProfile(const core::Uuid& id, int offset);
    /// Re-applies the active profile's stored values; nothing when there is no active profile.
    void resetToActiveProfile();
    UserProfileBinding userProfileBinding(const core::Uuid& id) const { return {state_, id}; }

Q_SIGNALS:
    void newProfileNameChanged(const std::string& name);

private:
    std::optional<std::size_t> positionOf(const core::Uuid& id) const;

    AppState& state_;
    std::string newProfileName_;
};

} // namespace tintwell::settings
