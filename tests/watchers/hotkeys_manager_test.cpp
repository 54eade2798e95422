// The six hotkey actions, pressed through the global shortcuts on the in-memory hot-key service.

#include "platform/virtual/virtual_hot_key_service.h"
#include "settings/app_state.h"
#include "watchers/hotkey_names.h"
#include "watchers/hotkeys_manager.h"

#include <gtest/gtest.h>

namespace tintwell::watchers {
namespace {

namespace vk = platform::vk;
namespace mod = platform::modifier;
using core::Profile;
using core::Uuid;

class HotkeysManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        manager->installHandlers();
        // One combination per slot, in slot order: Ctrl+1 … Ctrl+6.
        const std::uint32_t digits[] = {vk::digit1, vk::digit2, vk::digit3,
                                        vk::digit4, vk::digit5, vk::digit6};
        for (std::size_t i = 0; i < 6; ++i)
            shortcuts.setShortcut(shortcuts::Shortcut{int(digits[i]), int(mod::control)},
                                  hotkeys::allTintwell()[i]);
    }
    void press(const shortcuts::Name& name) {
        ASSERT_TRUE(service.press(shortcuts.getShortcut(name)->combination())) << name.rawValue;
    }
    Profile user(const std::string& name) {
        Profile p = state.currentSettingsSnapshot(name, Uuid::random());
        auto list = state.profiles();
        list.push_back(p);
        state.setProfiles(list);
        return p;
    }
    std::string activeName() const { return state.activeProfileName(); }

    settings::InMemoryUserDefaults defaults;
    settings::AppState state{defaults};
    platform::VirtualHotKeyService service;
    shortcuts::GlobalShortcuts shortcuts{defaults, &service};
    std::unique_ptr<HotkeysManager> manager = std::make_unique<HotkeysManager>(state, shortcuts);
};

// Pause on its hotkey is pressed in the full-path session.
TEST_F(HotkeysManagerTest, TogglesTheOverrideWhoseEndIsForgotten) {

    state.setManualOverride(true);
    state.setManualOverrideUntil(instantFromSecondsSinceEpoch(2e9));
    press(hotkeys::toggleManualOverride);
    EXPECT_FALSE(state.manualOverride());
    EXPECT_EQ(state.manualOverrideUntil(), std::nullopt);

    manager.reset(); // presses after the manager is gone do nothing
    press(hotkeys::toggleManualOverride);
    EXPECT_FALSE(state.manualOverride());
}

TEST_F(HotkeysManagerTest, NudgesStartFromTheDayKelvinRoundAndStayWithinLimits) {
    state.setDayKelvin(6500);
    state.setManualKelvin(3000);
    state.setCurrentKelvin(2700); // night on the screen: still the day's value is the start
    press(hotkeys::warmer);
    EXPECT_TRUE(state.manualOverride());
    EXPECT_EQ(state.manualKelvin(), 6250);
    press(hotkeys::cooler);
    press(hotkeys::cooler);
    EXPECT_EQ(state.manualKelvin(), 6750);

    const struct {
        double start, delta, expected;
    } cases[] = {{1100, -250, 1000}, {9900, 250, 10000}, {5000.5, 250, 5251}, {-5000, 250, 1000}};
    for (const auto& c : cases) {
        state.setManualKelvin(c.start);
        manager->nudgeManualKelvin(c.delta);
        EXPECT_EQ(state.manualKelvin(), c.expected) << c.start << " " << c.delta;
    }
}

TEST_F(HotkeysManagerTest, CyclesThroughUserProfilesThenPresetsAndWraps) {
    user("A");
    const Profile b = user("B");
    state.applyProfile(b);
    press(hotkeys::nextProfile);
    EXPECT_EQ(activeName(), "Default");
    state.applyProfile(*state.findProfile(*Uuid::parse("00000000-0000-4000-8000-000000000006")));
    ASSERT_EQ(activeName(), "Sleep prep");
    press(hotkeys::nextProfile);
    EXPECT_EQ(activeName(), "A");
    press(hotkeys::previousProfile);
    EXPECT_EQ(activeName(), "Sleep prep");
}

} // namespace
} // namespace tintwell::watchers
