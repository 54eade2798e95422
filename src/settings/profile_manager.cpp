#include "settings/profile_manager.h"

#include <algorithm>
#include <set>

#include <QString>

namespace tintwell::settings {

using core::Profile;
using core::Uuid;

Profile UserProfileBinding::value() const {
    for (const auto& p : state_->profiles())
        if (p.id == id_)
            return p;
    Profile placeholder;
    placeholder.id = id_;
    return placeholder;
}

void UserProfileBinding::setValue(const Profile& profile) const {
    auto list = state_->profiles();
    const auto it = std::find_if(list.begin(), list.end(), [&](const Profile& p) { return p.id == id_; });
    if (it == list.end())
        return;
    *it = profile;
    state_->setProfiles(std::move(list));
}

ProfileManager::ProfileManager(AppState& state, QObject* parent) : QObject(parent), state_(state) {}

std::string ProfileManager::uniqueProfileName(const std::string& base) const {
    std::set<std::string> taken;
    for (const auto& p : state_.profiles())
        taken.insert(p.name);
    if (!taken.contains(base))
        return base;
    for (std::size_t n = 2;; ++n) {
        std::string candidate = base + " " + std::to_string(n);
        if (!taken.contains(candidate))
            return candidate;
    }
}

std::string ProfileManager::defaultNewProfileName() const {
    const std::string active = state_.activeProfileName();
    if (state_.isActiveProfileDirty() && active != "Custom")
        return uniqueProfileName(active + " (modified)");
    return uniqueProfileName("My profile");
}

void ProfileManager::setNewProfileName(std::string name) {
    newProfileName_ = std::move(name);
    Q_EMIT newProfileNameChanged(newProfileName_);
}

void ProfileManager::saveNewProfile() {
    const std::string trimmed = QString::fromStdString(newProfileName_).trimmed().toStdString();
    if (trimmed.empty())
        return;
    state_.saveCurrentAsProfile(trimmed);
    setNewProfileName({});
}

Profile ProfileManager::duplicateProfile(const Profile& profile, const std::string& namePrefix) {
    Profile copy = profile;
    copy.id = Uuid::random();
    copy.name = uniqueProfileName(namePrefix + profile.name);
    auto list = state_.profiles();
    list.push_back(copy);
    state_.setProfiles(std::move(list));
    state_.setActiveProfileId(copy.id);
    return copy;
}

std::optional<std::size_t> ProfileManager::positionOf(const Uuid& id) const {
    const auto& list = state_.profiles();
    const auto it = std::find_if(list.begin(), list.end(), [&](const Profile& p) { return p.id == id; });
    if (it == list.end())
        return std::nullopt;
    return static_cast<std::size_t>(it - list.begin());
}

bool ProfileManager::canMoveProfile(const Uuid& id, int offset) const {
    const auto i = positionOf(id);
    if (!i)
        return false;
    const auto target = static_cast<long long>(*i) + offset;
    return target >= 0 && target < static_cast<long long>(state_.profiles().size());
}

void ProfileManager::moveProfile(const Uuid& id, int offset) {
    if (!canMoveProfile(id, offset))
        return;
    const std::size_t i = *positionOf(id);
    const auto target = static_cast<std::size_t>(static_cast<long long>(i) + offset);
    state_.moveProfile({i}, offset > 0 ? target + 1 : target);
}

void ProfileManager::resetToActiveProfile() {
    const auto id = state_.activeProfileId();
    if (!id)
        return;
    if (const auto p = state_.findProfile(*id))
        state_.applyProfile(*p);
}

} // namespace tintwell::settings
