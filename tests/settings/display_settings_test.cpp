#include "platform/virtual/virtual_display_services.h"
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
}

TEST(DisplaySettingsEditor, EachFieldReachesItsOwnValueGloballyAndForOneDisplay) {
    VirtualDisplayServices services(1);
    InMemoryUserDefaults defaults;
    AppState state(defaults);
    DisplaySettingsEditor editor(state, services);
    editor.refreshConnectedDisplays();
    using F = ProfileField;
    const F fields[] = {F::DayKelvin,  F::NightKelvin, F::TransitionWidthDeg,
                        F::Brightness, F::Gamma,       F::ManualKelvin};
    for (const DisplayId target : {0u, 1u}) {
        editor.setEditTargetId(target ? std::optional(target) : std::nullopt);
        for (int i = 0; i < 6; ++i)
            editor.setScopedValue(fields[i], 10 + target * 10 + i);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(editor.scopedValue(fields[i]), 10 + target * 10 + i);
    }
    EXPECT_EQ(state.globalDisplaySettings(), (DisplaySettings{10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(state.displayOverrides().begin()->second, (DisplaySettings{20, 21, 22, 23, 24, 25}));
}
