#include "platform/x11/x11_key_map.h"

#include <algorithm>

#include <QString>

#include <X11/XF86keysym.h>
#include <X11/keysym.h>
#include <xcb/xproto.h>

#include <xkbcommon/xkbcommon.h>

namespace tintwell::platform::x11 {

namespace {

// Kernel key codes (linux/input-event-codes.h) of the keys whose characters follow the layout. These
// keys of the main block have the same X keycodes (kernel code + 8) under XKB's evdev and xfree86
// keycodes; the JIS keys, which differ between them, are recognised by their keysyms instead.
const std::vector<std::pair<std::uint32_t, std::uint32_t>>& evdevTable() {
    static const std::vector<std::pair<std::uint32_t, std::uint32_t>> table{
        {vk::a, 30},
        {vk::s, 31},
        {vk::d, 32},
        {vk::f, 33},
        {vk::h, 35},
        {vk::g, 34},
        {vk::z, 44},
        {vk::x, 45},
        {vk::c, 46},
        {vk::v, 47},
        {vk::isoSection, 86},
        {vk::b, 48},
        {vk::q, 16},
        {vk::w, 17},
        {vk::e, 18},
        {vk::r, 19},
        {vk::y, 21},
        {vk::t, 20},
        {vk::digit1, 2},
        {vk::digit2, 3},
        {vk::digit3, 4},
        {vk::digit4, 5},
        {vk::digit6, 7},
        {vk::digit5, 6},
        {vk::equal, 13},
        {vk::digit9, 10},
        {vk::digit7, 8},
        {vk::minus, 12},
        {vk::digit8, 9},
        {vk::digit0, 11},
        {vk::rightBracket, 27},
        {vk::o, 24},
        {vk::u, 22},
        {vk::leftBracket, 26},
        {vk::i, 23},
        {vk::p, 25},
        {vk::l, 38},
        {vk::j, 36},
        {vk::quote, 40},
        {vk::k, 37},
        {vk::semicolon, 39},
        {vk::backslash, 43},
        {vk::comma, 51},
        {vk::slash, 53},
        {vk::n, 49},
        {vk::m, 50},
        {vk::period, 52},
        {vk::grave, 41},
    };
    return table;
}

constexpr std::uint32_t evdevOffset = 8;

} // namespace

std::optional<std::uint8_t> positionKeycode(std::uint32_t keyCode) {
    const auto& table = evdevTable();
    const auto it = std::ranges::find(table, keyCode, &std::pair<std::uint32_t, std::uint32_t>::first);
    if (it == table.end())
        return std::nullopt;
    return std::uint8_t(it->second + evdevOffset);
}

std::optional<std::uint32_t> keyCodeAtPosition(std::uint8_t keycode) {
    const auto& table = evdevTable();
    const auto it = std::ranges::find(table, std::uint32_t(keycode) - evdevOffset,
                                      &std::pair<std::uint32_t, std::uint32_t>::second);
    if (keycode < evdevOffset || it == table.end())
        return std::nullopt;
    return it->first;
}

std::optional<std::string> keysymLabel(std::uint32_t keysym) {
    const char32_t c = xkb_keysym_to_utf32(keysym);
    if (c == 0 || !QChar::isPrint(c) || QChar::isSpace(c))
        return std::nullopt;
    const QString text = QString::fromUcs4(&c, 1);
    const QString upper = text.toUpper();
    // "ß" would become "SS": a label is one character.
    return (upper.size() == text.size() ? upper : text).toStdString();
}

const std::vector<std::pair<std::uint32_t, std::uint32_t>>& keysymTable() {
    static const std::vector<std::pair<std::uint32_t, std::uint32_t>> table{
        {vk::a, XK_a},
        {vk::b, XK_b},
        {vk::c, XK_c},
        {vk::d, XK_d},
        {vk::e, XK_e},
        {vk::f, XK_f},
        {vk::g, XK_g},
        {vk::h, XK_h},
        {vk::i, XK_i},
        {vk::j, XK_j},
        {vk::k, XK_k},
        {vk::l, XK_l},
        {vk::m, XK_m},
        {vk::n, XK_n},
        {vk::o, XK_o},
        {vk::p, XK_p},
        {vk::q, XK_q},
        {vk::r, XK_r},
        {vk::s, XK_s},
        {vk::t, XK_t},
        {vk::u, XK_u},
        {vk::v, XK_v},
        {vk::w, XK_w},
        {vk::x, XK_x},
        {vk::y, XK_y},
        {vk::z, XK_z},
        {vk::digit0, XK_0},
        {vk::digit1, XK_1},
        {vk::digit2, XK_2},
        {vk::digit3, XK_3},
        {vk::digit4, XK_4},
        {vk::digit5, XK_5},
        {vk::digit6, XK_6},
        {vk::digit7, XK_7},
        {vk::digit8, XK_8},
        {vk::digit9, XK_9},
        {vk::equal, XK_equal},
        {vk::minus, XK_minus},
        {vk::rightBracket, XK_bracketright},
        {vk::leftBracket, XK_bracketleft},
        {vk::quote, XK_apostrophe},
        {vk::semicolon, XK_semicolon},
        {vk::backslash, XK_backslash},
        {vk::comma, XK_comma},
        {vk::slash, XK_slash},
        {vk::period, XK_period},
        {vk::grave, XK_grave},
        {vk::isoSection, XK_section},
        {vk::jisYen, XK_yen},
        {vk::jisUnderscore, XK_underscore},
        {vk::space, XK_space},
        {vk::returnKey, XK_Return},
        {vk::tab, XK_Tab},
        {vk::deleteKey, XK_BackSpace},
        {vk::forwardDelete, XK_Delete},
        {vk::escape, XK_Escape},
        {vk::help, XK_Help},
        {vk::home, XK_Home},
        {vk::end, XK_End},
        {vk::pageUp, XK_Page_Up},
        {vk::pageDown, XK_Page_Down},
        {vk::leftArrow, XK_Left},
        {vk::rightArrow, XK_Right},
        {vk::downArrow, XK_Down},
        {vk::upArrow, XK_Up},
        {vk::f1, XK_F1},
        {vk::f2, XK_F2},
        {vk::f3, XK_F3},
        {vk::f4, XK_F4},
        {vk::f5, XK_F5},
        {vk::f6, XK_F6},
        {vk::f7, XK_F7},
        {vk::f8, XK_F8},
        {vk::f9, XK_F9},
        {vk::f10, XK_F10},
        {vk::f11, XK_F11},
        {vk::f12, XK_F12},
        {vk::f13, XK_F13},
        {vk::f14, XK_F14},
        {vk::f15, XK_F15},
        {vk::f16, XK_F16},
        {vk::f17, XK_F17},
        {vk::f18, XK_F18},
        {vk::f19, XK_F19},
        {vk::f20, XK_F20},
        {vk::keypad0, XK_KP_0},
        {vk::keypad1, XK_KP_1},
        {vk::keypad2, XK_KP_2},
        {vk::keypad3, XK_KP_3},
        {vk::keypad4, XK_KP_4},
        {vk::keypad5, XK_KP_5},
        {vk::keypad6, XK_KP_6},
        {vk::keypad7, XK_KP_7},
        {vk::keypad8, XK_KP_8},
        {vk::keypad9, XK_KP_9},
        {vk::keypadDecimal, XK_KP_Decimal},
        {vk::keypadDivide, XK_KP_Divide},
        {vk::keypadEquals, XK_KP_Equal},
        {vk::keypadMinus, XK_KP_Subtract},
        {vk::keypadMultiply, XK_KP_Multiply},
        {vk::keypadPlus, XK_KP_Add},
        {vk::keypadClear, XK_Clear},
        {vk::keypadEnter, XK_KP_Enter},
        {vk::jisKeypadComma, XK_KP_Separator},
        {vk::volumeUp, XF86XK_AudioRaiseVolume},
        {vk::volumeDown, XF86XK_AudioLowerVolume},
        {vk::mute, XF86XK_AudioMute},
    };
    return table;
}

std::optional<std::uint32_t> keysymForKeyCode(std::uint32_t keyCode) {
    const auto& table = keysymTable();
    const auto it = std::ranges::find(table, keyCode, &std::pair<std::uint32_t, std::uint32_t>::first);
    if (it == table.end())
        return std::nullopt;
    return it->second;
}

std::optional<std::uint32_t> keyCodeForKeysym(std::uint32_t keysym) {
    // Capitals arrive as the keysym of a shifted letter key.
    if (keysym >= XK_A && keysym <= XK_Z)
        keysym += XK_a - XK_A;
    const auto& table = keysymTable();
    const auto it = std::ranges::find(table, keysym, &std::pair<std::uint32_t, std::uint32_t>::second);
    if (it == table.end())
        return std::nullopt;
    return it->first;
}

std::uint16_t xModifiers(std::uint32_t modifiers) {
    std::uint16_t mask = 0;
    if (modifiers & modifier::control)
        mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers & modifier::option)
        mask |= XCB_MOD_MASK_1;
    if (modifiers & modifier::shift)
        mask |= XCB_MOD_MASK_SHIFT;
    if (modifiers & modifier::command)
        mask |= XCB_MOD_MASK_4;
    return mask;
}

std::uint32_t storedModifiers(std::uint32_t xState) {
    std::uint32_t bits = 0;
    if (xState & XCB_MOD_MASK_CONTROL)
        bits |= modifier::control;
    if (xState & XCB_MOD_MASK_1)
        bits |= modifier::option;
    if (xState & XCB_MOD_MASK_SHIFT)
        bits |= modifier::shift;
    if (xState & XCB_MOD_MASK_4)
        bits |= modifier::command;
    return bits;
}

} // namespace tintwell::platform::x11
