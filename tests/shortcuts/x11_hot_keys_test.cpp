// Global shortcuts on the real test X server, pressed with xdotool as a user would press them.
#include "platform/x11/x11_hot_key_service.h"
#include "shortcuts/global_shortcuts.h"
#include "shortcuts/key_labels.h"
#include "support/event_loop.h"
#include "support/shortcut_slots.h"
#include "support/x11_session.h"
#include "support/xdotool.h"

#include <cstdlib>

#include <QApplication>
#include <QMenu>
#include <QProcess>

#include <X11/keysym.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <gtest/gtest.h>

namespace tintwell::shortcuts {
namespace {

namespace vk = platform::vk;
namespace mod = platform::modifier;
using test::ctrlAltK, test::ctrlAltP, test::cooler, test::pause, test::spinUntil, test::xdotool;

const Shortcut ctrlAltF5{int(vk::f5), int(mod::control | mod::option)};

class X11HotKeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "needs the test X session (scripts/test-session)";
        application();
        service = platform::X11HotKeyService::create();
        ASSERT_TRUE(service);
        shortcuts = std::make_unique<GlobalShortcuts>(defaults, service.get());
        shortcuts->setMessageSink([this](const std::string& line) { messages.push_back(line); });
        shortcuts->onKeyDown(pause, [this] { ++pauses; });
        shortcuts->onKeyDown(cooler, [this] { ++coolers; });
    }
    void TearDown() override {
        // Leave the lock keys as found.
        if (other.modifierState() & XCB_MOD_MASK_LOCK)
            xdotool({"key", "Caps_Lock"});
        if (service && (other.modifierState() & service->numLockMask()))
            xdotool({"key", "Num_Lock"});
    }
    /// Widgets need an application with a GUI; the other tests share it.
    static void application() {
        static int argc = 1;
        static char name[] = "tintwell-shortcuts-test";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QApplication(argc, argv);
    }

    test::X11Session other; // another client: grabs keys, reads the lock keys
    settings::InMemoryUserDefaults defaults;
    std::unique_ptr<platform::X11HotKeyService> service;
    std::unique_ptr<GlobalShortcuts> shortcuts;
    std::vector<std::string> messages;
    int pauses = 0;
    int coolers = 0;
};

TEST_F(X11HotKeysTest, AnAssignedCombinationRunsWhateverTheLockKeys) {
    shortcuts->setShortcut(ctrlAltP, pause);
    ASSERT_TRUE(messages.empty()) << messages.front();
    ASSERT_NE(service->numLockMask(), 0) << "the test keyboard has no Num_Lock modifier";
    const struct {
        const char* toggle;
        std::uint16_t expectedLocks;
    } steps[] = {{nullptr, 0},
                 {"Caps_Lock", XCB_MOD_MASK_LOCK},
                 {"Num_Lock", std::uint16_t(XCB_MOD_MASK_LOCK | service->numLockMask())},
                 {"Caps_Lock", service->numLockMask()}};
    int expected = 0;
    for (const auto& step : steps) {
        ASSERT_TRUE(!step.toggle || xdotool({"key", step.toggle}));
        ASSERT_EQ(other.modifierState() & (XCB_MOD_MASK_LOCK | service->numLockMask()), step.expectedLocks);
        ASSERT_TRUE(xdotool({"key", "ctrl+alt+p"}));
        ++expected;
        EXPECT_TRUE(spinUntil([&] { return pauses == expected; })) << "locks " << step.expectedLocks;
    }
}

TEST_F(X11HotKeysTest, ACombinationAnotherClientHoldsIsReportedAndReserved) {
    const xcb_keycode_t k = other.keycode('k');
    ASSERT_TRUE(other.grab(k));
    shortcuts->setShortcut(ctrlAltK, cooler);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Error registering hotkey Ctrl+Alt+K: 10 (already grabbed by another client)");
    EXPECT_TRUE(shortcuts->isReservedBySystem(ctrlAltK));

    // Ours is not the system's, and probing leaves nothing behind.
    shortcuts->setShortcut(ctrlAltP, pause);
    EXPECT_FALSE(shortcuts->isReservedBySystem(ctrlAltP));
    EXPECT_TRUE(other.heldElsewhere(other.keycode('p')));
    EXPECT_FALSE(shortcuts->isReservedBySystem(ctrlAltF5));
    EXPECT_FALSE(other.heldElsewhere(other.keycode(XK_F5)));
    other.ungrab(k);

    // The service is still in working order.
    ASSERT_TRUE(xdotool({"key", "ctrl+alt+p"}));
    EXPECT_TRUE(spinUntil([&] { return pauses == 1; }));
}

TEST_F(X11HotKeysTest, AKeyboardMappingChangeGrabsTheKeysAgain) {
    // A function key follows its keysym to another keycode.
    shortcuts->setShortcut(ctrlAltF5, pause);
    const xcb_keycode_t f5 = other.keycode(XK_F5);
    const xcb_keycode_t f6 = other.keycode(XK_F6);
    ASSERT_TRUE(other.heldElsewhere(f5));
    const auto map = [](xcb_keycode_t code, const char* keysyms) {
        return QProcess::execute("xmodmap", {"-e", QString("keycode %1 = %2").arg(code).arg(keysyms)}) == 0;
    };
    ASSERT_TRUE(map(f5, "F6") && map(f6, "F5"));
    const bool moved = spinUntil([&] { return other.heldElsewhere(f6) && !other.heldElsewhere(f5); });
    ASSERT_TRUE(xdotool({"key", "ctrl+alt+F5"}));
    const bool ran = spinUntil([&] { return pauses == 1; });
    map(f5, "F5");
    map(f6, "F6");
    EXPECT_TRUE(moved);
    EXPECT_TRUE(ran);
}

TEST_F(X11HotKeysTest, LetterAndPunctuationKeysAreNamedAndRecordedByTheLayout) {
    struct Restore {
        ~Restore() { QProcess::execute("setxkbmap", {"us"}); }
    } restore;
    ASSERT_EQ(QProcess::execute("setxkbmap", {"de"}), 0);
    EXPECT_TRUE(spinUntil([] { return keyLabel(int(vk::semicolon)) == "Ö"; }));
    const struct {
        const char* key; // xdotool's name of the keysym pressed
        xcb_keysym_t keysym;
        std::uint32_t code; // the US key at the same place
        const char* label;
    } cases[] = {{"odiaeresis", XK_odiaeresis, vk::semicolon, "Ctrl+Alt+Ö"},
                 {"y", XK_y, vk::z, "Ctrl+Alt+Y"},
                 {"Home", XK_Home, vk::home, "Ctrl+Alt+Home"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        const auto recorded =
            service->combinationForNativeKey(other.keycode(c.keysym), XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1);
        ASSERT_TRUE(recorded);
        const Shortcut shortcut = Shortcut::fromCombination(*recorded);
        EXPECT_EQ(shortcut.carbonKeyCode, int(c.code));
        EXPECT_EQ(shortcut.presentableDescription(), c.label);
        const auto parsed = parseShortcut(c.label);
        EXPECT_EQ(std::get_if<Shortcut>(&parsed) ? *std::get_if<Shortcut>(&parsed) : Shortcut{}, shortcut);
        shortcuts->setShortcut(shortcut, pause);
        const int before = pauses;
        ASSERT_TRUE(xdotool({"key", QString("ctrl+alt+") + c.key}));
        EXPECT_TRUE(spinUntil([&] { return pauses == before + 1; }));
    }
}

TEST_F(X11HotKeysTest, WhileOurMenuHoldsTheKeyboardTheActionRunsOnce) {
    shortcuts->setShortcut(ctrlAltP, pause);
    shortcuts->setShortcut(ctrlAltK, cooler);
    QMenu menu;
    menu.addAction("Item");
    shortcuts->trackPopup(&menu);
    menu.popup(QPoint(50, 50));
    ASSERT_TRUE(spinUntil([&] { return menu.isVisible() && other.keyboardGrabbedElsewhere(); }))
        << "the menu did not take the keyboard";
    ASSERT_TRUE(shortcuts->isMenuOpen());

    ASSERT_TRUE(xdotool({"key", "ctrl+alt+p"}));
    ASSERT_TRUE(xdotool({"key", "ctrl+alt+k"}));
    // Whatever the first key caused has arrived once the second one's action has run.
    EXPECT_TRUE(spinUntil([&] { return coolers == 1; }));
    EXPECT_EQ(pauses, 1);
    EXPECT_TRUE(menu.isVisible()) << "the menu saw the keys";

    menu.close();
    ASSERT_TRUE(
        spinUntil([&] { return !shortcuts->isMenuOpen() && other.heldElsewhere(other.keycode('p')); }));
    ASSERT_TRUE(xdotool({"key", "ctrl+alt+p"}));
    EXPECT_TRUE(spinUntil([&] { return pauses == 2; }));
}

} // namespace
} // namespace tintwell::shortcuts
