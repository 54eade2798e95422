#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>
#include <variant>

namespace tintwell::core {

/// What a scalar setting holds, and so how it is stored, read back and typed on the command line.
enum class SettingType {
    Number,        ///< a double within its range; stored as a JSON number
    Boolean,       ///< stored as true or false
    InstantOrNone, ///< stored as seconds since 1970, or 0 for none
    ChannelText,   ///< "stable", "beta" or "dev"
    Consent,       ///< "undecided", "allowed" or "declined"; written on its own, never with the others
};

/// What a number may be: the ends are the same for the settings screens, the command line and a
/// hand-edited file (whose values outside are held to the nearest end when read).
struct NumberRange {
    double min = 0;
    double max = 0;
    double step = 0; ///< the sliders' grid; 0 where no slider edits the value
    constexpr double clamp(double v) const { return std::clamp(v, min, max); }
    constexpr bool contains(double v) const { return v >= min && v <= max; }
};

enum SettingUse : unsigned {
    kReevaluates = 1,   ///< a change decides again what the displays show
    kOnCommandLine = 2, ///< --set and --get know it
    /// Kept as the presence of the desktop's autostart entry, never in the settings file.
    kInAutostartEntry = 4,
};

/// One scalar setting. Instants and booleans fall back to a number or flag; texts to their word.
struct SettingRow {
    std::string_view name; ///< the command line's name; stored under "tintwell." followed by it
    SettingType type;
    std::variant<double, bool, std::string_view> fallback;
    NumberRange range; ///< numbers only
    unsigned uses = 0;
    constexpr bool reevaluates() const { return uses & kReevaluates; }
    constexpr bool onCommandLine() const { return uses & kOnCommandLine; }
    constexpr bool inAutostartEntry() const { return uses & kInAutostartEntry; }
};

/// Every scalar setting, in the order --get lists them and a save writes them. Adding a row is all
/// it takes for the file, --set/--get, the range checks and the displays' re-evaluation to know it.
inline constexpr auto settingRows = std::to_array<SettingRow>({
    {"dayKelvin", SettingType::Number, 6500.0, {2500, 10000, 50}, kReevaluates | kOnCommandLine},
    {"nightKelvin", SettingType::Number, 3400.0, {1000, 6500, 50}, kReevaluates | kOnCommandLine},
    {"transitionWidthDeg", SettingType::Number, 12.0, {1, 40, 0.5}, kReevaluates | kOnCommandLine},
    {"brightness", SettingType::Number, 1.0, {0.3, 1, 0.01}, kReevaluates | kOnCommandLine},
    {"gamma", SettingType::Number, 1.0, {0.6, 2.6, 0.05}, kReevaluates | kOnCommandLine},
    {"manualOverride", SettingType::Boolean, false, {}, kReevaluates | kOnCommandLine},
    {"manualKelvin", SettingType::Number, 5000.0, {1000, 10000, 50}, kReevaluates | kOnCommandLine},
    {"manualOverrideUntil", SettingType::InstantOrNone, 0.0, {}, kReevaluates | kOnCommandLine},
    {"paused", SettingType::Boolean, false, {}, kReevaluates | kOnCommandLine},
    {"useAutoLocation", SettingType::Boolean, true, {}, kOnCommandLine},
    {"latitude", SettingType::Number, 37.7749, {-90, 90}, kReevaluates | kOnCommandLine},
    {"longitude", SettingType::Number, -122.4194, {-180, 180}, kReevaluates | kOnCommandLine},
    // Whether the place above is one the application was given (a fix, the time zone's estimate,
    // typed or picked) rather than the default. Missing from a file written before it existed, it
    // reads as true when that file holds a latitude and a longitude.
    {"locationKnown", SettingType::Boolean, false, {}, kReevaluates},
    {"updateChannel", SettingType::ChannelText, std::string_view("stable"), {}, kOnCommandLine},
    {"updateConsent", SettingType::Consent, std::string_view("undecided"), {}, kOnCommandLine},
    {"startAtLogin", SettingType::Boolean, false, {}, kOnCommandLine | kInAutostartEntry},
});

/// A row named in code: a name no row has does not compile.
struct SettingId {
    std::size_t index;
    consteval SettingId(const char* name) : index(indexOf(name)) {}
    constexpr explicit SettingId(std::size_t i) : index(i) {}
    constexpr const SettingRow& row() const { return settingRows[index]; }
    constexpr bool operator==(const SettingId&) const = default;

private:
    static consteval std::size_t indexOf(std::string_view name) {
        for (std::size_t i = 0; i < settingRows.size(); ++i)
            if (settingRows[i].name == name)
                return i;
        throw "no setting has this name";
    }
};

consteval const SettingRow& setting(SettingId id) {
    return id.row();
}

/// The default of a number setting, for the records that hold one.
consteval double settingDefault(SettingId id) {
    return std::get<double>(id.row().fallback);
}

} // namespace tintwell::core
