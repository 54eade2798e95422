#pragma once

#include "platform/key_combination.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include <QtCore/qnamespace.h>

namespace tintwell::shortcuts {

/// A key combination as stored: a virtual key code and a mask of modifier bits
/// (`platform::modifier`).
struct Shortcut {
    int carbonKeyCode = 0;
    int carbonModifiers = 0;
    bool operator==(const Shortcut&) const = default;

    /// `keyCode` with `modifiers` kept to control, option (Alt), shift, command (Super) and function.
    static Shortcut fromKeyCode(int keyCode, int modifiers);
    /// `keyCode` with Qt's keyboard modifiers: Ctrl → control, Alt → option, Shift → shift,
    /// Meta (Super) → command; every other flag is dropped.
    static Shortcut fromKeyCode(int keyCode, Qt::KeyboardModifiers modifiers);
    static Shortcut fromCombination(const platform::KeyCombination& c) {
        return fromKeyCode(int(c.keyCode), int(c.modifiers));
    }
    platform::KeyCombination combination() const {
        return {std::uint32_t(carbonKeyCode), std::uint32_t(carbonModifiers)};
    }

    /// {"carbonKeyCode": …, "carbonModifiers": …}, compact.
    std::string toJson() const;
    /// Both members present and integers (of 32 bits); anything else is no shortcut, and `why`
    /// (when given) says what is wrong in a few words.
    static std::optional<Shortcut> fromJson(std::string_view json, std::string* why = nullptr);

    /// As Linux desktops write it: "Ctrl+Alt+Shift+Super+K", then "Fn+" for the function bit,
    /// keypad keys as "Num+1". A key code without a name shows "�".
    std::string presentableDescription() const;
};

/// Why `s` may not be grabbed for the whole desktop, in a few words; nothing when it may. A plain key
/// (alone, with Shift, Caps Lock or the function bit) would be taken from every application; only
/// F1 to F20 may stand alone.
std::optional<std::string> refusedGlobally(const Shortcut& s);

/// Why a text is not a combination, for one line to the user.
struct ParseError {
    std::string message;
};

/// Reads the portable text of a combination, as `presentableDescription` writes it, ignoring case
/// and accepting common aliases ("Control", "Option", "Meta", "Cmd", "Enter", "Escape", "PageUp"…).
std::variant<Shortcut, ParseError> parseShortcut(std::string_view text);

} // namespace tintwell::shortcuts

template <>
struct std::hash<tintwell::shortcuts::Shortcut> {
    std::size_t operator()(const tintwell::shortcuts::Shortcut& s) const noexcept {
        return std::hash<tintwell::platform::KeyCombination>{}(s.combination());
    }
};
