// The stored virtual key codes against X keysyms and modifier masks.

#include "platform/x11/x11_key_map.h"

#include <set>

#include <X11/keysym.h>
#include <xcb/xproto.h>

#include <gtest/gtest.h>

namespace tintwell::platform::x11 {
namespace {

TEST(X11KeyMap, EveryKeyCodeAndKeysymAppearsOnceAndRoundTrips) {
    std::set<std::uint32_t> codes, keysyms;
    for (const auto& [code, keysym] : keysymTable()) {
        EXPECT_TRUE(codes.insert(code).second) << code;
        EXPECT_TRUE(keysyms.insert(keysym).second) << keysym;
        EXPECT_EQ(keyCodeForKeysym(keysym), code);
        EXPECT_EQ(keysymForKeyCode(code), keysym);
    }
}

// Which keysym each code has is the table itself; what the table cannot say is checked here.
TEST(X11KeyMap, ShiftedLettersFindTheirKeyAndUnmappedOnesNothing) {
    EXPECT_EQ(keyCodeForKeysym(XK_K), vk::k);
    EXPECT_EQ(keyCodeForKeysym(XK_Insert), std::nullopt);
    EXPECT_EQ(keysymForKeyCode(0x37), std::nullopt); // the command key itself
}

TEST(X11KeyMap, ModifiersMapBothWaysAndLocksAreDropped) {
    const std::uint32_t all = modifier::control | modifier::option | modifier::shift | modifier::command;
    EXPECT_EQ(xModifiers(all | modifier::function),
              XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_4);
    EXPECT_EQ(storedModifiers(xModifiers(all) | XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2 | XCB_MOD_MASK_5 |
                              XCB_KEY_BUT_MASK_BUTTON_1),
              all);
}

} // namespace
} // namespace tintwell::platform::x11
