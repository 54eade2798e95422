#pragma once

#include <cstdint>
#include <functional>

namespace tintwell::platform {

/// A key with modifiers in the stored, platform-independent form: the key's virtual key code (the
/// codes of the Apple keyboard layout, below) and a mask of the modifier bits below. One settings
/// file therefore names the same keys on every platform.
struct KeyCombination {
    std::uint32_t keyCode = 0;
    std::uint32_t modifiers = 0;
    bool operator==(const KeyCombination&) const = default;
};

/// Modifier bits of `KeyCombination::modifiers`.
namespace modifier {
inline constexpr std::uint32_t command = 256; ///< Super on Linux
inline constexpr std::uint32_t shift = 512;
inline constexpr std::uint32_t capsLock = 1024; ///< never part of a stored combination
inline constexpr std::uint32_t option = 2048;   ///< Alt on Linux
inline constexpr std::uint32_t control = 4096;
inline constexpr std::uint32_t function = 0x20000; ///< no Linux counterpart; kept, never grabbed
/// Every bit a stored combination may carry.
inline constexpr std::uint32_t all = command | shift | option | control | function;
} // namespace modifier

/// Virtual key codes of `KeyCombination::keyCode`. Letters, digits and punctuation name a key's
/// place, after what a US layout prints there (the German layout's Ö is `semicolon`); the others
/// name the key's function.
namespace vk {
// clang-format off
inline constexpr std::uint32_t a = 0x00, s = 0x01, d = 0x02, f = 0x03, h = 0x04, g = 0x05, z = 0x06,
    x = 0x07, c = 0x08, v = 0x09, isoSection = 0x0A, b = 0x0B, q = 0x0C, w = 0x0D, e = 0x0E, r = 0x0F,
    y = 0x10, t = 0x11, digit1 = 0x12, digit2 = 0x13, digit3 = 0x14, digit4 = 0x15, digit6 = 0x16,
    digit5 = 0x17, equal = 0x18, digit9 = 0x19, digit7 = 0x1A, minus = 0x1B, digit8 = 0x1C,
    digit0 = 0x1D, rightBracket = 0x1E, o = 0x1F, u = 0x20, leftBracket = 0x21, i = 0x22, p = 0x23,
    returnKey = 0x24, l = 0x25, j = 0x26, quote = 0x27, k = 0x28, semicolon = 0x29, backslash = 0x2A,
    comma = 0x2B, slash = 0x2C, n = 0x2D, m = 0x2E, period = 0x2F, tab = 0x30, space = 0x31,
    grave = 0x32, deleteKey = 0x33, escape = 0x35, f17 = 0x40, keypadDecimal = 0x41,
    keypadMultiply = 0x43, keypadPlus = 0x45, keypadClear = 0x47, volumeUp = 0x48, volumeDown = 0x49,
    mute = 0x4A, keypadDivide = 0x4B, keypadEnter = 0x4C, keypadMinus = 0x4E, f18 = 0x4F, f19 = 0x50,
    keypadEquals = 0x51, keypad0 = 0x52, keypad1 = 0x53, keypad2 = 0x54, keypad3 = 0x55,
    keypad4 = 0x56, keypad5 = 0x57, keypad6 = 0x58, keypad7 = 0x59, f20 = 0x5A, keypad8 = 0x5B,
    keypad9 = 0x5C, jisYen = 0x5D, jisUnderscore = 0x5E, jisKeypadComma = 0x5F, f5 = 0x60, f6 = 0x61,
    f7 = 0x62, f3 = 0x63, f8 = 0x64, f9 = 0x65, f11 = 0x67, f13 = 0x69, f16 = 0x6A, f14 = 0x6B,
    f10 = 0x6D, f12 = 0x6F, f15 = 0x71, help = 0x72, home = 0x73, pageUp = 0x74, forwardDelete = 0x75,
    f4 = 0x76, end = 0x77, f2 = 0x78, pageDown = 0x79, f1 = 0x7A, leftArrow = 0x7B, rightArrow = 0x7C,
    downArrow = 0x7D, upArrow = 0x7E;
// clang-format on
} // namespace vk

} // namespace tintwell::platform

template <>
struct std::hash<tintwell::platform::KeyCombination> {
    std::size_t operator()(const tintwell::platform::KeyCombination& k) const noexcept {
        return std::hash<std::uint64_t>{}((std::uint64_t(k.keyCode) << 32) | k.modifiers);
    }
};
