#include "shortcuts/key_labels.h"

#include "platform/key_combination.h"

#include <algorithm>
#include <cctype>
#include <utility>
#include <vector>

#include <QString>

namespace tintwell::shortcuts {
namespace {

namespace vk = platform::vk;

struct Label {
    std::uint32_t code;
    const char* name;
    bool keypad = false;
};

// Names as Qt and the desktops built on it write them.
const std::vector<Label>& labels() {
    static const std::vector<Label> table{
        {vk::a, "A"},
        {vk::b, "B"},
        {vk::c, "C"},
        {vk::d, "D"},
        {vk::e, "E"},
        {vk::f, "F"},
        {vk::g, "G"},
        {vk::h, "H"},
        {vk::i, "I"},
        {vk::j, "J"},
        {vk::k, "K"},
        {vk::l, "L"},
        {vk::m, "M"},
        {vk::n, "N"},
        {vk::o, "O"},
        {vk::p, "P"},
        {vk::q, "Q"},
        {vk::r, "R"},
        {vk::s, "S"},
        {vk::t, "T"},
        {vk::u, "U"},
        {vk::v, "V"},
        {vk::w, "W"},
        {vk::x, "X"},
        {vk::y, "Y"},
        {vk::z, "Z"},
        {vk::digit0, "0"},
        {vk::digit1, "1"},
        {vk::digit2, "2"},
        {vk::digit3, "3"},
        {vk::digit4, "4"},
        {vk::digit5, "5"},
        {vk::digit6, "6"},
        {vk::digit7, "7"},
        {vk::digit8, "8"},
        {vk::digit9, "9"},
        {vk::equal, "="},
        {vk::minus, "-"},
        {vk::rightBracket, "]"},
        {vk::leftBracket, "["},
        {vk::quote, "'"},
        {vk::semicolon, ";"},
        {vk::backslash, "\\"},
        {vk::comma, ","},
        {vk::slash, "/"},
        {vk::period, "."},
        {vk::grave, "`"},
        {vk::isoSection, "§"},
        {vk::jisYen, "¥"},
        {vk::jisUnderscore, "_"},
        {vk::space, "Space"},
        {vk::returnKey, "Return"},
        {vk::tab, "Tab"},
        {vk::deleteKey, "Backspace"},
        {vk::forwardDelete, "Del"},
        {vk::escape, "Esc"},
        {vk::help, "Help"},
        {vk::home, "Home"},
        {vk::end, "End"},
        {vk::pageUp, "PgUp"},
        {vk::pageDown, "PgDown"},
        {vk::leftArrow, "Left"},
        {vk::rightArrow, "Right"},
        {vk::downArrow, "Down"},
        {vk::upArrow, "Up"},
        {vk::f1, "F1"},
        {vk::f2, "F2"},
        {vk::f3, "F3"},
        {vk::f4, "F4"},
        {vk::f5, "F5"},
        {vk::f6, "F6"},
        {vk::f7, "F7"},
        {vk::f8, "F8"},
        {vk::f9, "F9"},
        {vk::f10, "F10"},
        {vk::f11, "F11"},
        {vk::f12, "F12"},
        {vk::f13, "F13"},
        {vk::f14, "F14"},
        {vk::f15, "F15"},
        {vk::f16, "F16"},
        {vk::f17, "F17"},
        {vk::f18, "F18"},
        {vk::f19, "F19"},
        {vk::f20, "F20"},
        {vk::volumeUp, "Volume Up"},
        {vk::volumeDown, "Volume Down"},
        {vk::mute, "Volume Mute"},
        {vk::keypad0, "0", true},
        {vk::keypad1, "1", true},
        {vk::keypad2, "2", true},
        {vk::keypad3, "3", true},
        {vk::keypad4, "4", true},
        {vk::keypad5, "5", true},
        {vk::keypad6, "6", true},
        {vk::keypad7, "7", true},
        {vk::keypad8, "8", true},
        {vk::keypad9, "9", true},
        {vk::keypadDecimal, ".", true},
        {vk::keypadDivide, "/", true},
        {vk::keypadEquals, "=", true},
        {vk::keypadMinus, "-", true},
        {vk::keypadMultiply, "*", true},
        {vk::keypadPlus, "+", true},
        {vk::keypadClear, "Clear", true},
        {vk::keypadEnter, "Enter", true},
        {vk::jisKeypadComma, ",", true},
    };
    return table;
}

const std::vector<std::pair<const char*, std::uint32_t>>& aliases() {
    static const std::vector<std::pair<const char*, std::uint32_t>> table{
        {"Enter", vk::returnKey},
        {"Escape", vk::escape},
        {"Delete", vk::forwardDelete},
        {"BackSpace", vk::deleteKey},
        {"PageUp", vk::pageUp},
        {"Page Up", vk::pageUp},
        {"Prior", vk::pageUp},
        {"PageDown", vk::pageDown},
        {"Page Down", vk::pageDown},
        {"Next", vk::pageDown},
        {"Minus", vk::minus},
        {"Equal", vk::equal},
        {"Comma", vk::comma},
        {"Period", vk::period},
        {"Slash", vk::slash},
        {"Backslash", vk::backslash},
        {"Semicolon", vk::semicolon},
        {"Apostrophe", vk::quote},
        {"Grave", vk::grave},
        {"BracketLeft", vk::leftBracket},
        {"BracketRight", vk::rightBracket},
    };
    return table;
}

bool sameText(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

LayoutLabels& layoutLabels() {
    static LayoutLabels source;
    return source;
}

bool sameLayoutText(std::string_view a, const std::string& b) {
    return QString::fromUtf8(a.data(), qsizetype(a.size()))
               .compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

} // namespace

void setLayoutLabels(LayoutLabels labels) {
    layoutLabels() = std::move(labels);
}

std::optional<std::string> keyLabel(int keyCode) {
    if (layoutLabels())
        if (auto label = layoutLabels()(keyCode))
            return label;
    for (const Label& l : labels())
        if (int(l.code) == keyCode)
            return l.keypad ? std::string("Num+") + l.name : std::string(l.name);
    return std::nullopt;
}

std::optional<int> keyCodeForLabel(std::string_view label, bool keypad) {
    // The key that types it in the layout in use wins over the US key of that name.
    if (!keypad && layoutLabels())
        for (const Label& l : labels())
            if (const auto typed = l.keypad ? std::nullopt : layoutLabels()(int(l.code));
                typed && sameLayoutText(label, *typed))
                return int(l.code);
    for (const Label& l : labels())
        if (l.keypad == keypad && sameText(label, l.name))
            return int(l.code);
    if (!keypad)
        for (const auto& [name, code] : aliases())
            if (sameText(label, name))
                return int(code);
    return std::nullopt;
}

} // namespace tintwell::shortcuts
