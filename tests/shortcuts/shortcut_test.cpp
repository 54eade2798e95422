// The stored form of a combination, its description and its portable text.

#include "shortcuts/shortcut.h"

#include <gtest/gtest.h>

namespace tintwell::shortcuts {
namespace {

namespace vk = platform::vk;
namespace mod = platform::modifier;

TEST(Shortcut, ModifiersAreNormalised) {
    EXPECT_EQ(Shortcut::fromKeyCode(1, int(mod::control | mod::capsLock | 0x40000)).carbonModifiers,
              int(mod::control));
    EXPECT_EQ(Shortcut::fromKeyCode(1, Qt::ControlModifier | Qt::KeypadModifier).carbonModifiers,
              int(mod::control));
}

TEST(ParseShortcut, ReadsWhatDescriptionsWriteAndCommonAliases) {
    const struct {
        const char* text;
        Shortcut expected;
    } cases[] = {
        {"Ctrl+Alt+Up", {int(vk::upArrow), int(mod::control | mod::option)}},
        // Each navigation key its own: a key code shared by two would run one slot from both keys.
        {"Alt+Left", {int(vk::leftArrow), int(mod::option)}},
        {"Alt+Right", {int(vk::rightArrow), int(mod::option)}},
        {"Alt+Down", {int(vk::downArrow), int(mod::option)}},
        {"Alt+Home", {int(vk::home), int(mod::option)}},
        {"Alt+End", {int(vk::end), int(mod::option)}},
        {"Alt+PgUp", {int(vk::pageUp), int(mod::option)}},
        {"Alt+PgDown", {int(vk::pageDown), int(mod::option)}},
        {"Control + Option + Command + Shift + K", {int(vk::k), int(mod::all & ~mod::function)}},
        {"Meta+Enter", {int(vk::returnKey), int(mod::command)}},
        {"Ctrl+Num++", {int(vk::keypadPlus), int(mod::control)}},
        {"Ctrl++", {0, 0}}, // no plus key outside the keypad: refused below
        {"F5", {int(vk::f5), 0}},
        {"Ctrl+Alt+Volume Up", {int(vk::volumeUp), int(mod::control | mod::option)}},
    };
    for (const auto& c : cases) {
        const auto parsed = parseShortcut(c.text);
        if (c.expected == Shortcut{0, 0}) {
            EXPECT_TRUE(std::holds_alternative<ParseError>(parsed)) << c.text;
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<Shortcut>(parsed))
            << c.text << ": " << std::get<ParseError>(parsed).message;
        EXPECT_EQ(std::get<Shortcut>(parsed), c.expected) << c.text;
        EXPECT_EQ(std::get<Shortcut>(parseShortcut(std::get<Shortcut>(parsed).presentableDescription())),
                  c.expected)
            << c.text;
    }
}

TEST(ParseShortcut, RefusesWhatIsNoCombination) {
    for (const char* text : {"", "Ctrl+", "Hyper+K", "Ctrl+Alt+Insert", "Ctrl++Alt", "Num+K", "Ctrl+Alt+PP"})
        EXPECT_TRUE(std::holds_alternative<ParseError>(parseShortcut(text))) << text;
}

} // namespace
} // namespace tintwell::shortcuts
