#include "platform/portal/portal_key_names.h"

#include "platform/x11/x11_key_map.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

#include <linux/input-event-codes.h>
#include <xkbcommon/xkbcommon.h>

namespace tintwell::platform::portal {
namespace {

// Kernel codes of the keys that are not layout positions (those are the X11 backend's table).
constexpr std::array<std::pair<std::uint32_t, std::uint32_t>, 59> kernelKeys{{
    {vk::space, KEY_SPACE},
    {vk::returnKey, KEY_ENTER},
    {vk::tab, KEY_TAB},
    {vk::deleteKey, KEY_BACKSPACE},
    {vk::forwardDelete, KEY_DELETE},
    {vk::escape, KEY_ESC},
    {vk::help, KEY_HELP},
    {vk::home, KEY_HOME},
    {vk::end, KEY_END},
    {vk::pageUp, KEY_PAGEUP},
    {vk::pageDown, KEY_PAGEDOWN},
    {vk::leftArrow, KEY_LEFT},
    {vk::rightArrow, KEY_RIGHT},
    {vk::downArrow, KEY_DOWN},
    {vk::upArrow, KEY_UP},
    {vk::f1, KEY_F1},
    {vk::f2, KEY_F2},
    {vk::f3, KEY_F3},
    {vk::f4, KEY_F4},
    {vk::f5, KEY_F5},
    {vk::f6, KEY_F6},
    {vk::f7, KEY_F7},
    {vk::f8, KEY_F8},
    {vk::f9, KEY_F9},
    {vk::f10, KEY_F10},
    {vk::f11, KEY_F11},
    {vk::f12, KEY_F12},
    {vk::f13, KEY_F13},
    {vk::f14, KEY_F14},
    {vk::f15, KEY_F15},
    {vk::f16, KEY_F16},
    {vk::f17, KEY_F17},
    {vk::f18, KEY_F18},
    {vk::f19, KEY_F19},
    {vk::f20, KEY_F20},
    {vk::keypad0, KEY_KP0},
    {vk::keypad1, KEY_KP1},
    {vk::keypad2, KEY_KP2},
    {vk::keypad3, KEY_KP3},
    {vk::keypad4, KEY_KP4},
    {vk::keypad5, KEY_KP5},
    {vk::keypad6, KEY_KP6},
    {vk::keypad7, KEY_KP7},
    {vk::keypad8, KEY_KP8},
    {vk::keypad9, KEY_KP9},
    {vk::keypadDecimal, KEY_KPDOT},
    {vk::keypadDivide, KEY_KPSLASH},
    {vk::keypadEquals, KEY_KPEQUAL},
    {vk::keypadMinus, KEY_KPMINUS},
    {vk::keypadMultiply, KEY_KPASTERISK},
    {vk::keypadPlus, KEY_KPPLUS},
    {vk::keypadClear, KEY_CLEAR},
    {vk::keypadEnter, KEY_KPENTER},
    {vk::jisKeypadComma, KEY_KPJPCOMMA},
    {vk::jisYen, KEY_YEN},
    {vk::jisUnderscore, KEY_RO},
    {vk::volumeUp, KEY_VOLUMEUP},
    {vk::volumeDown, KEY_VOLUMEDOWN},
    {vk::mute, KEY_MUTE},
}};

constexpr std::uint32_t xkbOffset = 8;

} // namespace

std::string shortcutId(const KeyCombination& combination) {
    std::string id = combination.modifiers & modifier::function ? "fn-" : "";
    const auto trigger = xdgTrigger(combination);
    if (!trigger)
        return id + "key-" + std::to_string(combination.keyCode) + "-" +
               std::to_string(combination.modifiers);
    for (const char c : *trigger)
        id += c == '+' ? '-' : char(std::tolower(static_cast<unsigned char>(c)));
    return id;
}

std::optional<std::string> xdgTrigger(const KeyCombination& combination) {
    const auto keysym = x11::keysymForKeyCode(combination.keyCode);
    if (!keysym)
        return std::nullopt;
    std::string trigger;
    for (const auto& [bit, name] :
         {std::pair{modifier::control, "CTRL+"}, std::pair{modifier::option, "ALT+"},
          std::pair{modifier::shift, "SHIFT+"}, std::pair{modifier::command, "LOGO+"}})
        if (combination.modifiers & bit)
            trigger += name;
    char name[64];
    if (xkb_keysym_get_name(*keysym, name, sizeof name) <= 0)
        return std::nullopt;
    return trigger + name;
}

std::optional<KeyCombination> combinationForKeycode(std::uint32_t keycode, std::uint32_t modifiers) {
    const std::uint32_t bits = x11::storedModifiers(modifiers);
    if (keycode < xkbOffset)
        return std::nullopt;
    if (const auto position = keycode <= 255 ? x11::keyCodeAtPosition(std::uint8_t(keycode)) : std::nullopt)
        return KeyCombination{*position, bits};
    const auto it =
        std::ranges::find(kernelKeys, keycode - xkbOffset, &std::pair<std::uint32_t, std::uint32_t>::second);
    if (it == kernelKeys.end())
        return std::nullopt;
    return KeyCombination{it->first, bits};
}

} // namespace tintwell::platform::portal
