// The six hotkey actions, pressed through the global shortcuts on the in-memory hot-key service.

#include "core/record_json.h"
#include "platform/virtual/virtual_hot_key_service.h"
#include "settings/app_state.h"
#include "watchers/hotkey_names.h"
#include "watchers/hotkeys_manager.h"

#include <set>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace tintwell::watchers {
namespace {

constexpr const char* kMovie = "00000000-0000-4000-8000-000000000003";

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
    state.saveCurrentAsProfile("A");
    state.saveCurrentAsProfile("B");
    press(hotkeys::nextProfile);
    EXPECT_EQ(activeName(), "Default");
    state.applyProfile(*state.findProfile(*Uuid::parse("00000000-0000-4000-8000-000000000006")));
    ASSERT_EQ(activeName(), "Sleep prep");
    press(hotkeys::nextProfile);
    EXPECT_EQ(activeName(), "A");
    press(hotkeys::previousProfile);
    EXPECT_EQ(activeName(), "Sleep prep");
}

TEST_F(HotkeysManagerTest, CyclesThroughProfilesStoredWithSharedIdentifiersOneByOne) {
    // Two profiles sharing an identifier, and one shadowing the "Movie" preset.
    const Uuid shared = Uuid::random();
    Profile second = state.currentSettingsSnapshot("Second", shared);
    second.nightKelvin = 2000;
    const std::vector<Profile> stored{state.currentSettingsSnapshot("First", shared), second,
                                      state.currentSettingsSnapshot("Mine", *Uuid::parse(kMovie))};
    defaults.setData(settings::keys::profiles, {nlohmann::json(stored).dump()});
    defaults.setString(settings::keys::activeProfileId, shared.toString());
    state.reload(); // which gives the second "shared" profile an identifier of its own

    std::set<std::string> seen{activeName()};
    press(hotkeys::nextProfile);
    EXPECT_EQ(activeName(), "Second");
    EXPECT_EQ(state.nightKelvin(), 2000);
    state.reload(); // the repaired identifier is the same at the next start
    EXPECT_EQ(activeName(), "Second");
    for (int i = 0; i < 7; ++i) {
        seen.insert(activeName());
        press(hotkeys::nextProfile);
    }
    EXPECT_EQ(activeName(), "First");
    EXPECT_EQ(seen.size(), 8u); // three of our own and five presets, each once
}

} // namespace
} // namespace tintwell::watchers
