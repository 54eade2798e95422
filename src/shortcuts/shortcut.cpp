#include "shortcuts/shortcut.h"

#include "shortcuts/key_labels.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <vector>

#include <nlohmann/json.hpp>

namespace tintwell::shortcuts {
namespace {

namespace modifier = platform::modifier;

struct ModifierName {
    std::uint32_t bit;
    const char* shown;
    std::vector<const char*> accepted;
};

// In the order desktops show them.
const std::vector<ModifierName>& modifierNames() {
    static const std::vector<ModifierName> names{
        {modifier::control, "Ctrl", {"ctrl", "control"}},
        {modifier::option, "Alt", {"alt", "option", "opt"}},
        {modifier::shift, "Shift", {"shift"}},
        {modifier::command, "Super", {"super", "meta", "cmd", "command", "win"}},
        {modifier::function, "Fn", {"fn", "function"}},
    };
    return names;
}

std::string lower(std::string_view s) {
    std::string out(s);
    std::ranges::transform(out, out.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return out;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

std::string inQuotes(std::string_view s) {
    std::string q(1, '"');
    q += s;
    q += '"';
    return q;
}

} // namespace

Shortcut Shortcut::fromKeyCode(int keyCode, int modifiers) {
    return {keyCode, int(std::uint32_t(modifiers) & modifier::all)};
}

Shortcut Shortcut::fromKeyCode(int keyCode, Qt::KeyboardModifiers modifiers) {
    std::uint32_t bits = 0;
    if (modifiers & Qt::ControlModifier)
        bits |= modifier::control;
    if (modifiers & Qt::AltModifier)
        bits |= modifier::option;
    if (modifiers & Qt::ShiftModifier)
        bits |= modifier::shift;
    if (modifiers & Qt::MetaModifier)
        bits |= modifier::command;
    return {keyCode, int(bits)};
}

std::string Shortcut::toJson() const {
    return nlohmann::json{{"carbonKeyCode", carbonKeyCode}, {"carbonModifiers", carbonModifiers}}.dump();
}

std::optional<Shortcut> Shortcut::fromJson(std::string_view json, std::string* why) {
    const auto refuse = [why](std::string reason) -> std::optional<Shortcut> {
        if (why)
            *why = std::move(reason);
        return std::nullopt;
    };
    const auto j = nlohmann::json::parse(json, nullptr, false);
    if (j.is_discarded())
        return refuse("not JSON");
    if (!j.is_object())
        return refuse("not a JSON object");
    std::string problem;
    const auto member = [&](const char* name) -> std::optional<int> {
        const auto it = j.find(name);
        const std::string n = name;
        if (it == j.end())
            problem = n + " is missing";
        else if (!it->is_number_integer())
            problem = n + " is not an integer";
        else if (it->is_number_unsigned()
                     ? it->get<std::uint64_t>() > std::uint64_t(std::numeric_limits<int>::max())
                     : it->get<std::int64_t>() < std::numeric_limits<int>::min() ||
                           it->get<std::int64_t>() > std::numeric_limits<int>::max())
            problem = n + " is out of range";
        else
            return it->get<int>();
        return std::nullopt;
    };
    const auto key = member("carbonKeyCode");
    const auto mods = key ? member("carbonModifiers") : std::nullopt;
    if (!key || !mods)
        return refuse(problem);
    return Shortcut{*key, *mods};
}

std::optional<std::string> refusedGlobally(const Shortcut& s) {
    namespace m = platform::modifier;
    if (std::uint32_t(s.carbonModifiers) & (m::control | m::option | m::command))
        return std::nullopt;
    namespace vk = platform::vk;
    for (const std::uint32_t f :
         {vk::f1,  vk::f2,  vk::f3,  vk::f4,  vk::f5,  vk::f6,  vk::f7,  vk::f8,  vk::f9,  vk::f10,
          vk::f11, vk::f12, vk::f13, vk::f14, vk::f15, vk::f16, vk::f17, vk::f18, vk::f19, vk::f20})
        if (std::uint32_t(s.carbonKeyCode) == f)
            return std::nullopt;
    return "it needs Ctrl, Alt or Super (only F1 to F20 may stand alone)";
}

std::string Shortcut::presentableDescription() const {
    std::string text;
    for (const ModifierName& m : modifierNames())
        if (std::uint32_t(carbonModifiers) & m.bit) {
            text += m.shown;
            text += '+';
        }
    text += keyLabel(carbonKeyCode).value_or("\xEF\xBF\xBD"); // U+FFFD
    return text;
}

std::variant<Shortcut, ParseError> parseShortcut(std::string_view input) {
    const std::string_view text = trim(input);
    if (text.empty())
        return ParseError{"empty combination: expected keys such as Ctrl+Alt+Up"};
    std::string_view head;
    std::string_view key;
    if (text == "+") {
        key = text;
    } else if (text.ends_with("++")) {
        key = text.substr(text.size() - 1);
        head = text.substr(0, text.size() - 2);
    } else if (const auto plus = text.rfind('+'); plus == std::string_view::npos) {
        key = text;
    } else {
        key = trim(text.substr(plus + 1));
        head = text.substr(0, plus);
        if (key.empty())
            return ParseError{"combination " + inQuotes(text) + " names no key after its last +"};
    }

    std::uint32_t bits = 0;
    bool keypad = false;
    if (!head.empty()) {
        std::size_t start = 0;
        while (start <= head.size()) {
            const std::size_t end = std::min(head.find('+', start), head.size());
            const std::string token = lower(trim(head.substr(start, end - start)));
            start = end + 1;
            if (token == "num" || token == "kp" || token == "keypad") {
                keypad = true;
                continue;
            }
            const auto& names = modifierNames();
            const auto m = std::ranges::find_if(names, [&](const ModifierName& n) {
                return std::ranges::find(n.accepted, token) != n.accepted.end();
            });
            if (m == names.end())
                return ParseError{"unknown modifier " + inQuotes(token) + " in " + inQuotes(text) +
                                  ": expected Ctrl, Alt, Shift, Super or Num"};
            bits |= m->bit;
        }
    }
    const auto code = keyCodeForLabel(key, keypad);
    if (!code)
        return ParseError{"unknown key " + inQuotes(key) + " in " + inQuotes(text)};
    return Shortcut{*code, int(bits)};
}

} // namespace tintwell::shortcuts
