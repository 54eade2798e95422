#include "settings/app_state.h"

#include "core/record_json.h"
#include "settings/autostart_entry.h"
#include "settings/builtin_presets.h"
#include "settings/setting_ranges.h"
#include "settings/settings_log.h"
#include "settings/stored_collections.h"

#include <algorithm>
#include <cmath>
#include <set>

#include <QCryptographicHash>
#include <QMetaMethod>

#include <nlohmann/json.hpp>

namespace tintwell::settings {
namespace {

using core::AppExceptionRule;
using core::DisplaySettings;
using core::Profile;
using core::Uuid;

/// JSON has no NaN or infinity. Encoding one would turn it into null and make the whole stored
/// collection undecodable at the next start, so such a value fails the encoding instead.
bool allNumbersFinite(const nlohmann::json& j) {
    if (j.is_number_float())
        return std::isfinite(j.get<double>());
    if (j.is_structured())
        return std::all_of(j.begin(), j.end(), [](const nlohmann::json& e) { return allNumbersFinite(e); });
    return true;
}

/// Logs that the value under `k` is not used as stored, and lets the store keep the original.
void reportStored(UserDefaults& defaults, const std::string& k, const std::string& why) {
    qCWarning(lcSettings).noquote() << QString::fromStdString(k + ": " + why);
    defaults.noteUndecodable(k);
}

/// An identifier for the profile at `position` whose own one an earlier profile holds: derived from
/// both, so the same file gives the same identifier at every start until the list is written (an
/// active profile chosen among the repaired ones stays active across restarts).
Uuid repairedId(const Uuid& duplicate, std::size_t position, const std::set<Uuid>& taken) {
    for (std::size_t attempt = 0;; ++attempt) {
        QCryptographicHash hash(QCryptographicHash::Sha1);
        hash.addData(QByteArrayView(duplicate.bytes.data(), qsizetype(duplicate.bytes.size())));
        hash.addData(QByteArray::number(qulonglong(position)) + ':' +
                     QByteArray::number(qulonglong(attempt)));
        const QByteArray digest = hash.result();
        Uuid id;
        std::copy_n(digest.begin(), id.bytes.size(), id.bytes.begin());
        id.bytes[6] = std::uint8_t((id.bytes[6] & 0x0F) | 0x50); // version 5: name-based, SHA-1
        id.bytes[8] = std::uint8_t((id.bytes[8] & 0x3F) | 0x80);
        if (!taken.contains(id))
            return id;
    }
}

/// Gives every profile whose identifier an earlier one already holds an identifier of its own, and
/// logs it: the menu, the hotkeys and the active mark all find a profile by its identifier, so two
/// sharing one would show one's name while applying the other's values. Nothing is dropped.
void repairDuplicateIds(std::vector<Profile>& list, UserDefaults& defaults) {
    std::set<Uuid> taken;
    for (const Profile& p : list)
        taken.insert(p.id);
    if (taken.size() == list.size())
        return;
    std::map<Uuid, std::size_t> first;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const auto [it, isFirst] = first.try_emplace(list[i].id, i);
        if (isFirst)
            continue;
        const Uuid fresh = repairedId(list[i].id, i, taken);
        taken.insert(fresh);
        reportElement(defaults, keys::profiles, "element " + std::to_string(i + 1),
                      "identifier " + list[i].id.toString() + " already used by element " +
                          std::to_string(it->second + 1) + "; given " + fresh.toString());
        list[i].id = fresh;
    }
}

} // namespace

std::string toString(UpdateConsent consent) {
    switch (consent) {
    case UpdateConsent::Undecided:
        return "undecided";
    case UpdateConsent::Allowed:
        return "allowed";
    case UpdateConsent::Declined:
        return "declined";
    }
    return "undecided";
}

std::optional<UpdateConsent> updateConsentFromString(std::string_view text) {
    for (const auto c : {UpdateConsent::Undecided, UpdateConsent::Allowed, UpdateConsent::Declined})
        if (text == toString(c))
            return c;
    return std::nullopt;
}

std::string storedKey(core::SettingId id) {
    return keys::prefix + std::string(id.row().name);
}

namespace {

QMetaType metaTypeOf(core::SettingType type) {
    switch (type) {
    case core::SettingType::Number:
        return QMetaType::fromType<double>();
    case core::SettingType::Boolean:
        return QMetaType::fromType<bool>();
    case core::SettingType::InstantOrNone:
        return QMetaType::fromType<std::optional<Instant>>();
    case core::SettingType::ChannelText:
        return QMetaType::fromType<std::string>();
    case core::SettingType::Consent:
        return QMetaType::fromType<UpdateConsent>();
    }
    return {};
}

/// Each row's own `<name>Changed(value)` signal, found once: the typed signals stay what existing
/// callers connect to, while the rows stay the one list of settings. A row without one is announced
/// through settingChanged alone.
const std::array<QMetaMethod, core::settingRows.size()>& rowSignals() {
    static const auto signals = [] {
        std::array<QMetaMethod, core::settingRows.size()> found;
        const QMetaObject& meta = AppState::staticMetaObject;
        for (std::size_t i = 0; i < core::settingRows.size(); ++i) {
            const auto& row = core::settingRows[i];
            const QByteArray name = QByteArray(row.name.data(), qsizetype(row.name.size())) + "Changed";
            for (int m = meta.methodOffset(); m < meta.methodCount(); ++m) {
                const QMetaMethod method = meta.method(m);
                if (method.methodType() != QMetaMethod::Signal || method.name() != name)
                    continue;
                // A typed signal that would be handed a value of another type is a mistake in the
                // class, not in the store: stop at the first AppState rather than mis-announce.
                if (method.parameterCount() != 1 || method.parameterMetaType(0) != metaTypeOf(row.type))
                    qFatal("AppState's signal %s does not take its setting's type", name.constData());
                found[i] = method;
            }
        }
        return found;
    }();
    return signals;
}

} // namespace

AppState::AppState(UserDefaults& defaults, QObject* parent) : QObject(parent), defaults_(defaults) {
    load();
}

AppState::~AppState() = default;

void AppState::setValue(core::SettingId id, SettingValue v) {
    Q_EMIT objectWillChange();
    scalars_[id.index] = std::move(v);
    announce(id.index);
    // Whoever gives a coordinate, a fix or a hand, gives a place.
    constexpr core::SettingId known("locationKnown");
    if (!loading_ && (id == core::SettingId("latitude") || id == core::SettingId("longitude")) &&
        !locationKnown()) {
        scalars_[known.index] = true;
        announce(known.index);
    }
    if (suspendSave_)
        return;
    if (id.row().inAutostartEntry()) {
        if (autostart_) {
            const auto failed = autostart_->setEnabled(get<bool>(id));
            autostartError_ = failed ? std::optional(failed->toStdString()) : std::nullopt;
        }
        return;
    }
    if (id.row().type == core::SettingType::Consent) {
        defaults_.setString(storedKey(id), toString(get<UpdateConsent>(id)));
        return;
    }
    if (id == core::SettingId("manualOverride") && !get<bool>(id))
        setManualOverrideUntil(std::nullopt);
    save();
}

void AppState::announce(std::size_t index) {
    const QMetaMethod& signal = rowSignals()[index];
    if (signal.isValid())
        std::visit(
            [&](const auto& v) {
                signal.invoke(this, Qt::DirectConnection,
                              QGenericArgument(signal.parameterTypeName(0).constData(), &v));
            },
            scalars_[index]);
    Q_EMIT settingChanged(index);
}

void AppState::setProfiles(std::vector<Profile> v) {
    assign(profiles_, std::move(v), &AppState::profilesChanged);
    saveJson(keys::profiles, profiles_);
}

void AppState::setActiveProfileId(std::optional<Uuid> v) {
    assign(activeProfileId_, v, &AppState::activeProfileIdChanged);
    saveActiveProfileId();
}

void AppState::setAppExceptions(std::vector<AppExceptionRule> v) {
    assign(appExceptions_, std::move(v), &AppState::appExceptionsChanged);
    saveJson(keys::appExceptions, appExceptions_);
}

void AppState::setDisplayOverrides(DisplayOverrides v) {
    assign(displayOverrides_, std::move(v), &AppState::displayOverridesChanged);
    saveJson(keys::displayOverrides, displayOverrides_);
}

void AppState::useAutostartEntry(std::unique_ptr<AutostartEntry> entry) {
    autostart_ = std::move(entry);
    rereadAutostartEntry();
}

void AppState::rereadAutostartEntry() {
    for (std::size_t i = 0; i < core::settingRows.size(); ++i) {
        const core::SettingId id(i);
        if (!id.row().inAutostartEntry() || !autostart_ || autostart_->isEnabled() == get<bool>(id))
            continue;
        Q_EMIT objectWillChange();
        scalars_[i] = autostart_->isEnabled();
        announce(i);
    }
}

std::vector<std::pair<std::string, Value>> AppState::scalarValues() const {
    std::vector<std::pair<std::string, Value>> values;
    for (std::size_t i = 0; i < core::settingRows.size(); ++i) {
        const core::SettingId id(i);
        if (id.row().inAutostartEntry())
            continue;
        const SettingValue& v = scalars_[i];
        switch (id.row().type) {
        case core::SettingType::Number:
            values.emplace_back(storedKey(id), Value(std::in_place_type<double>, std::get<double>(v)));
            break;
        case core::SettingType::Boolean:
            values.emplace_back(storedKey(id), Value(std::in_place_type<bool>, std::get<bool>(v)));
            break;
        case core::SettingType::InstantOrNone: {
            const auto& t = std::get<std::optional<Instant>>(v);
            values.emplace_back(storedKey(id), t ? Value(std::in_place_type<double>, secondsSinceEpoch(*t))
                                                 : Value(std::in_place_type<std::int64_t>, 0));
            break;
        }
        case core::SettingType::ChannelText:
            values.emplace_back(storedKey(id),
                                Value(std::in_place_type<std::string>, std::get<std::string>(v)));
            break;
        case core::SettingType::Consent: // written on its own
            break;
        }
    }
    return values;
}

void AppState::save() {
    if (suspendSave_)
        return;
    // Only what changed since the last load or save: the other values may be stale by now, another
    // process having written newer ones that this one has not read yet.
    std::vector<std::pair<std::string, Value>> changed;
    for (auto& [k, v] : scalarValues()) {
        const auto it = saved_.find(k);
        if (it != saved_.end() && it->second == v)
            continue;
        saved_.insert_or_assign(k, v);
        changed.emplace_back(std::move(k), std::move(v));
    }
    if (!changed.empty())
        defaults_.setValues(changed);
}

void AppState::saveActiveProfileId() {
    if (suspendSave_)
        return;
    if (activeProfileId_)
        defaults_.setString(keys::activeProfileId, activeProfileId_->toString());
    else
        defaults_.remove(keys::activeProfileId);
}

template <class T>
void AppState::saveJson(const char* k, const T& value) {
    if (suspendSave_)
        return;
    // A value that cannot be encoded keeps the previous stored data rather than losing it.
    try {
        const nlohmann::json j = value;
        if (!allNumbersFinite(j))
            return;
        defaults_.setData(k, Data{j.dump()});
    } catch (const nlohmann::json::exception&) {
    }
}

bool AppState::hasAnyPriorState(const UserDefaults& defaults) {
    for (const auto& [k, v] : defaults.dictionaryRepresentation())
        if (k.starts_with(keys::prefix) && k != storedKey("updateConsent"))
            return true;
    return false;
}

double AppState::readDouble(const std::string& k, double fallback,
                            std::optional<core::NumberRange> range) const {
    const auto v = defaults_.object(k);
    if (!v)
        return fallback;
    std::optional<double> number;
    if (const auto* d = std::get_if<double>(&*v))
        number = *d;
    else if (const auto* i = std::get_if<std::int64_t>(&*v))
        number = static_cast<double>(*i);
    else if (const auto* b = std::get_if<bool>(&*v))
        number = *b ? 1.0 : 0.0;
    if (!number) {
        reportStored(defaults_, k, "not a number; using " + std::to_string(fallback));
        return fallback;
    }
    if (range && !range->contains(*number)) {
        const double held = range->clamp(*number);
        reportStored(defaults_, k,
                     std::to_string(*number) + " is outside its range; using " + std::to_string(held));
        return held;
    }
    return *number;
}

bool AppState::readBool(const std::string& k, bool fallback) const {
    const auto v = defaults_.object(k);
    if (!v)
        return fallback;
    if (const auto* b = std::get_if<bool>(&*v))
        return *b;
    if (const auto* i = std::get_if<std::int64_t>(&*v))
        return *i != 0;
    if (const auto* d = std::get_if<double>(&*v))
        return *d != 0.0;
    reportStored(defaults_, k, std::string("not true or false; using ") + (fallback ? "true" : "false"));
    return fallback;
}

std::string AppState::readString(const std::string& k, const std::string& fallback) const {
    const auto v = defaults_.object(k);
    if (v && !std::holds_alternative<std::string>(*v))
        reportStored(defaults_, k, "not a string; using " + fallback);
    return defaults_.string(k).value_or(fallback);
}

SettingValue AppState::readStored(core::SettingId id) const {
    const core::SettingRow& row = id.row();
    const std::string k = storedKey(id);
    if (row.inAutostartEntry())
        return autostart_ ? autostart_->isEnabled() : std::get<bool>(row.fallback);
    // A file from before the place was marked known: a stored place is one the user had.
    if (id == core::SettingId("locationKnown") && !defaults_.object(k))
        return defaults_.object(storedKey("latitude")).has_value() &&
               defaults_.object(storedKey("longitude")).has_value();
    switch (row.type) {
    case core::SettingType::Number:
        return readDouble(k, std::get<double>(row.fallback), row.range);
    case core::SettingType::Boolean:
        return readBool(k, std::get<bool>(row.fallback));
    case core::SettingType::InstantOrNone: {
        const double seconds = readDouble(k, std::get<double>(row.fallback));
        return seconds > 0 ? std::optional(instantFromSecondsSinceEpoch(seconds)) : std::nullopt;
    }
    case core::SettingType::ChannelText:
        return readString(k, std::string(std::get<std::string_view>(row.fallback)));
    case core::SettingType::Consent: {
        // Settings stored before consent was asked for count as consent given.
        const auto stored = defaults_.string(k);
        const auto consent = stored ? updateConsentFromString(*stored) : std::nullopt;
        if (consent)
            return *consent;
        if (hasAnyPriorState(defaults_))
            return UpdateConsent::Allowed;
        return *updateConsentFromString(std::get<std::string_view>(row.fallback));
    }
    }
    return {};
}

void AppState::reload() {
    load();
}

void AppState::load() {
    const bool wasSuspended = suspendSave_;
    suspendSave_ = true;
    loading_ = true;
    for (std::size_t i = 0; i < core::settingRows.size(); ++i)
        setValue(core::SettingId(i), readStored(core::SettingId(i)));
    auto profiles = readStoredList<Profile>(defaults_, keys::profiles).value_or(std::vector<Profile>{});
    repairDuplicateIds(profiles, defaults_);
    setProfiles(std::move(profiles));
    const auto activeText = defaults_.string(keys::activeProfileId);
    setActiveProfileId(activeText ? Uuid::parse(*activeText) : std::nullopt);
    setAppExceptions(readStoredList<AppExceptionRule>(defaults_, keys::appExceptions)
                         .value_or(std::vector<AppExceptionRule>{}));
    setDisplayOverrides(
        readStoredMap<DisplaySettings>(defaults_, keys::displayOverrides).value_or(DisplayOverrides{}));
    suspendSave_ = wasSuspended;
    loading_ = false;
    // What is in force now counts as saved: a value replaced by its default or held to its range is
    // written only once it is changed.
    saved_.clear();
    for (auto& [k, v] : scalarValues())
        saved_.emplace(std::move(k), std::move(v));
}

// Per-display overrides.

DisplaySettings AppState::globalDisplaySettings() const {
    return {dayKelvin(), nightKelvin(), transitionWidthDeg(), brightness(), gamma(), manualKelvin()};
}

void AppState::setDisplaySettings(const DisplaySettings& settings, const std::string& displayKey) {
    auto map = displayOverrides_;
    map.insert_or_assign(displayKey, settings);
    setDisplayOverrides(std::move(map));
}

void AppState::clearDisplayOverride(const std::string& displayKey) {
    auto map = displayOverrides_;
    map.erase(displayKey);
    setDisplayOverrides(std::move(map));
}

// Profiles.

Profile AppState::currentSettingsSnapshot(const std::string& name, const Uuid& id) const {
    return Profile{globalDisplaySettings(), id, name};
}

Profile AppState::saveCurrentAsProfile(const std::string& name) {
    const Profile p = currentSettingsSnapshot(name, Uuid::random());
    auto list = profiles_;
    list.push_back(p);
    setProfiles(std::move(list));
    setActiveProfileId(p.id);
    return p;
}

void AppState::applyProfile(const Profile& p) {
    suspendSave_ = true;
    setDayKelvin(p.dayKelvin);
    setNightKelvin(p.nightKelvin);
    setTransitionWidthDeg(p.transitionWidthDeg);
    setBrightness(p.brightness);
    setGamma(p.gamma);
    setManualKelvin(p.manualKelvin);
    suspendSave_ = false;
    setActiveProfileId(p.id);
    save();
}

void AppState::updateActiveProfileFromCurrentSettings() {
    if (!activeProfileId_)
        return;
    auto list = profiles_;
    const auto it =
        std::find_if(list.begin(), list.end(), [&](const Profile& p) { return p.id == *activeProfileId_; });
    if (it == list.end())
        return;
    static_cast<DisplaySettings&>(*it) = globalDisplaySettings();
    setProfiles(std::move(list));
}

void AppState::deleteProfile(const Uuid& id) {
    auto list = profiles_;
    std::erase_if(list, [&](const Profile& p) { return p.id == id; });
    setProfiles(std::move(list));
    if (activeProfileId_ == id)
        setActiveProfileId(std::nullopt);
}

void AppState::moveProfile(const std::vector<std::size_t>& from, std::size_t to) {
    const std::size_t n = profiles_.size();
    std::vector<bool> moving(n, false);
    for (const std::size_t i : from)
        if (i < n)
            moving[i] = true;
    const std::size_t destination = std::min(to, n);
    std::vector<Profile> moved;
    std::vector<Profile> rest;
    std::size_t movedBeforeDestination = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (moving[i]) {
            moved.push_back(profiles_[i]);
            if (i < destination)
                ++movedBeforeDestination;
        } else {
            rest.push_back(profiles_[i]);
        }
    }
    const auto at = rest.begin() + static_cast<std::ptrdiff_t>(destination - movedBeforeDestination);
    rest.insert(at, moved.begin(), moved.end());
    setProfiles(std::move(rest));
}

std::optional<Profile> AppState::findProfile(const Uuid& id) const {
    const auto it =
        std::find_if(profiles_.begin(), profiles_.end(), [&](const Profile& p) { return p.id == id; });
    if (it != profiles_.end())
        return *it;
    return BuiltinPresets::find(id);
}

bool AppState::isActiveProfileDirty() const {
    if (!activeProfileId_)
        return true;
    const auto p = findProfile(*activeProfileId_);
    if (!p)
        return true;
    return globalDisplaySettings() != static_cast<const DisplaySettings&>(*p);
}

std::string AppState::activeProfileName() const {
    if (!activeProfileId_)
        return "Custom";
    const auto p = findProfile(*activeProfileId_);
    return p ? p->name : "Custom";
}

} // namespace tintwell::settings
