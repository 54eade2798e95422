#include "platform/virtual/virtual_display_services.h"
#include "settings/display_identity_cache.h"
#include "settings/display_settings_editor.h"

#include <gtest/gtest.h>

using namespace tintwell::settings;
using tintwell::core::DisplayId;
using tintwell::core::DisplaySettings;
using tintwell::platform::DisplayDescription;
using tintwell::platform::VirtualDisplayServices;

namespace {

const std::string kKey1 = "00000000-0000-5000-8000-000000000001";

DisplayDescription display(DisplayId id, std::optional<std::string> key,
                           std::optional<DisplayId> mirrorOf = {}) {
    DisplayDescription d;
    d.id = id;
    d.name = id == 3 ? "" : "Screen " + std::to_string(id);
    d.bounds = {1920.0 * (id - 1), 0, 1920, 1080};
    d.isMain = id == 1;
    d.key = std::move(key);
    d.mirrorOf = mirrorOf;
    return d;
}

} // namespace

TEST(DisplayIdentityCache, ResolvesOncePerDisplayUntilReset) {
    std::map<DisplayId, int> calls;
    std::optional<std::string> answer;
    DisplayIdentityCache cache([&](DisplayId id) {
        ++calls[id];
        return answer;
    });
    EXPECT_FALSE(cache.displayKey(7));
    answer = "K";
    EXPECT_FALSE(cache.displayKey(7)); // a miss is remembered
    EXPECT_EQ(calls[7], 1);
    cache.reset();
    EXPECT_EQ(cache.displayKey(7), "K");
    EXPECT_EQ(cache.displayKey(7), "K");
    EXPECT_EQ(calls[7], 2);
}

TEST(DisplayIdentityCache, PerDisplaySettingsResolveNothingWithoutOverrides) {
    int calls = 0;
    DisplayIdentityCache cache([&](DisplayId id) -> std::optional<std::string> {
        ++calls;
        if (id == 2)
            return std::nullopt;
        std::string key = "K";
        return key += std::to_string(id);
    });
    EXPECT_TRUE(perDisplaySettings({}, {1, 2, 3}, cache).empty());
    EXPECT_EQ(calls, 0);
    const DisplaySettings own{5000, 3000, 8, 0.8, 1, 4000};
    const auto map = perDisplaySettings({{"K1", own}, {"K9", {}}}, {1, 2, 3}, cache);
    EXPECT_EQ(map.size(), 1u);
    EXPECT_EQ(map.at(1), own);
}

TEST(DisplayLookup, MirrorsAreOnlineButNotConnected) {
    VirtualDisplayServices services(0);
    services.setDisplays({display(1, kKey1), display(2, "K2", 1), display(3, std::nullopt)});
    const DisplayLookup lookup(services);
    EXPECT_EQ(lookup.onlineDisplays(), (std::vector<DisplayId>{1, 2, 3}));
    const auto connected = lookup.connectedDisplays();
    ASSERT_EQ(connected.size(), 2u);
    EXPECT_EQ(connected[0], (DisplayInfo{1, "Screen 1", {0, 0, 1920, 1080}, true}));
    EXPECT_EQ(connected[1].name, "Display 3");
    EXPECT_EQ(lookup.displayName(42), "Display 42");
}

TEST(DisplaySettingsEditor, FirstEditSeedsAnOverrideFromTheGlobalValues) {
    VirtualDisplayServices services(0);
    services.setDisplays({display(1, kKey1), display(3, std::nullopt)});
    InMemoryUserDefaults defaults;
    AppState state(defaults);
    state.setNightKelvin(2900);
    DisplaySettingsEditor editor(state, services);
    editor.refreshConnectedDisplays();
    EXPECT_EQ(editor.displayKeys().size(), 1u);

    editor.setEditTargetId(1);
    EXPECT_EQ(editor.scopedValue(ProfileField::NightKelvin), 2900);
    editor.setScopedValue(ProfileField::Brightness, 0.8);
    DisplaySettings expected = state.globalDisplaySettings();
    expected.brightness = 0.8;
    EXPECT_EQ(state.displayOverrides().at(kKey1), expected);
    EXPECT_EQ(state.brightness(), 1.0);
    EXPECT_TRUE(editor.hasOverride(1));

    state.setNightKelvin(2000); // no longer reaches the display
    EXPECT_EQ(editor.effectiveSettings().nightKelvin, 2900);

    // A display without a key edits the global values.
    editor.setEditTargetId(3);
    editor.setScopedValue(ProfileField::DayKelvin, 5500);
    EXPECT_EQ(state.dayKelvin(), 5500);
    EXPECT_EQ(state.displayOverrides().size(), 1u);

    editor.setEditTargetId(1);
    editor.useGlobalForTarget();
    EXPECT_TRUE(state.displayOverrides().empty());
    EXPECT_EQ(editor.scopedValue(ProfileField::NightKelvin), 2000);
}

TEST(DisplaySettingsEditor, RefreshDropsADisconnectedTarget) {
    VirtualDisplayServices services(2);
    InMemoryUserDefaults defaults;
    AppState state(defaults);
    DisplaySettingsEditor editor(state, services);
    editor.refreshConnectedDisplays();
    editor.setEditTargetId(2);
    services.setDisplays({display(1, kKey1)});
    editor.refreshConnectedDisplays();
    EXPECT_FALSE(editor.editTargetId());
}
