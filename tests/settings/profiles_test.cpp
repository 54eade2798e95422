#include "settings/builtin_presets.h"
#include "settings/profile_manager.h"

#include <gtest/gtest.h>

using namespace tintwell::settings;
using tintwell::core::Profile;
using tintwell::core::Uuid;

namespace {

const Uuid kMovie = *Uuid::parse("00000000-0000-4000-8000-000000000003");

class ProfilesTest : public ::testing::Test {
protected:
    InMemoryUserDefaults defaults;
    AppState state{defaults};
    ProfileManager manager{state};

    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& p : state.profiles())
            out.push_back(p.name);
        return out;
    }
};

} // namespace

TEST_F(ProfilesTest, NoActiveProfileIsCustomAndDirty) {
    EXPECT_EQ(state.activeProfileName(), "Custom");
    EXPECT_TRUE(state.isActiveProfileDirty());
    EXPECT_EQ(manager.defaultNewProfileName(), "My profile");
    state.saveCurrentAsProfile("My profile");
    EXPECT_EQ(manager.defaultNewProfileName(), "My profile 2");
    // A stale identifier reads as Custom but is not cleared.
    state.setActiveProfileId(Uuid::random());
    EXPECT_EQ(state.activeProfileName(), "Custom");
    EXPECT_TRUE(state.activeProfileId());
}

TEST_F(ProfilesTest, ApplyingAPresetWritesOnceAndTracksDirtiness) {
    std::vector<double> brightnessSeen;
    QObject::connect(&state, &AppState::brightnessChanged, [&](double v) { brightnessSeen.push_back(v); });
    defaults.clearWrites();
    state.applyProfile(*BuiltinPresets::find(kMovie));
    EXPECT_EQ(brightnessSeen, std::vector<double>{0.7});
    EXPECT_EQ(state.gamma(), 1.05);
    EXPECT_EQ(defaults.string(keys::activeProfileId), "00000000-0000-4000-8000-000000000003");
    // The identifier, then the five scalars that changed, once.
    EXPECT_EQ(defaults.writtenKeys().size(), 6u);
    EXPECT_EQ(defaults.writtenKeys().front(), keys::activeProfileId);
    EXPECT_FALSE(state.isActiveProfileDirty());
    EXPECT_EQ(state.activeProfileName(), "Movie / TV");

    state.setBrightness(0.71);
    EXPECT_TRUE(state.isActiveProfileDirty());
    EXPECT_EQ(manager.defaultNewProfileName(), "Movie / TV (modified)");
    state.updateActiveProfileFromCurrentSettings(); // a preset never changes
    EXPECT_TRUE(state.profiles().empty());
    manager.resetToActiveProfile();
    EXPECT_EQ(state.brightness(), 0.7);
}

TEST_F(ProfilesTest, UserProfileShadowsPresetWithTheSameId) {
    Profile mine = state.currentSettingsSnapshot("Mine", kMovie);
    state.setProfiles({mine});
    state.setActiveProfileId(kMovie);
    EXPECT_EQ(state.activeProfileName(), "Mine");
    EXPECT_FALSE(state.isActiveProfileDirty());
    state.setDayKelvin(4000);
    state.updateActiveProfileFromCurrentSettings();
    EXPECT_EQ(state.profiles()[0].dayKelvin, 4000);
    EXPECT_EQ(state.profiles()[0].name, "Mine");
}

TEST_F(ProfilesTest, DuplicatesGetUniqueNamesAndBecomeActive) {
    const Profile evening = state.saveCurrentAsProfile("Evening");
    EXPECT_EQ(manager.duplicateProfile(evening, "Copy of ").name, "Copy of Evening");
    const Profile second = manager.duplicateProfile(evening, "Copy of ");
    EXPECT_EQ(second.name, "Copy of Evening 2");
    EXPECT_NE(second.id, evening.id);
    EXPECT_EQ(state.activeProfileId(), second.id);

    EXPECT_EQ(manager.duplicateProfile(BuiltinPresets::all()[5], "").name, "Sleep prep");
    EXPECT_EQ(manager.duplicateProfile(BuiltinPresets::all()[5], "").name, "Sleep prep 2");
    state.saveCurrentAsProfile("Default");
    EXPECT_EQ(manager.duplicateProfile(BuiltinPresets::all()[0], "").name, "Default 2");
    EXPECT_EQ(manager.uniqueProfileName("default"), "default"); // exact, case-sensitive
}

TEST_F(ProfilesTest, DeletingTheActiveProfileClearsItsKey) {
    const Profile a = state.saveCurrentAsProfile("A");
    const Profile b = state.saveCurrentAsProfile("B");
    state.deleteProfile(a.id);
    EXPECT_EQ(state.activeProfileId(), b.id);
    state.deleteProfile(b.id);
    EXPECT_FALSE(state.activeProfileId());
    EXPECT_FALSE(defaults.object(keys::activeProfileId));
    EXPECT_TRUE(state.profiles().empty());
}

TEST_F(ProfilesTest, MovingByOffset) {
    struct Row {
        std::size_t index;
        int offset;
        std::vector<std::string> expected;
    };
    for (const auto& row : std::vector<Row>{{0, -1, {"a", "b", "c"}},
                                            {2, 1, {"a", "b", "c"}},
                                            {0, 1, {"b", "a", "c"}},
                                            {0, 2, {"b", "c", "a"}},
                                            {2, -2, {"c", "a", "b"}},
                                            {1, 0, {"a", "b", "c"}}}) {
        state.setProfiles({});
        for (const char* n : {"a", "b", "c"})
            state.saveCurrentAsProfile(n);
        const Uuid id = state.profiles()[row.index].id;
        EXPECT_EQ(manager.canMoveProfile(id, row.offset), row.expected != names() || row.offset == 0);
        manager.moveProfile(id, row.offset);
        EXPECT_EQ(names(), row.expected) << row.index << " by " << row.offset;
    }
}

TEST_F(ProfilesTest, BindingRenamesAsTypedAndReadsAPlaceholderWhenGone) {
    const Profile p = state.saveCurrentAsProfile("Old");
    auto binding = manager.userProfileBinding(p.id);
    Profile renamed = binding.value();
    renamed.name = " Old ";
    binding.setValue(renamed);
    EXPECT_EQ(names(), std::vector<std::string>{" Old "});

    state.deleteProfile(p.id);
    const Profile placeholder = binding.value();
    EXPECT_EQ(placeholder.id, p.id);
    EXPECT_EQ(placeholder.name, "");
    EXPECT_EQ(placeholder.manualKelvin, 5000);
    binding.setValue(renamed);
    EXPECT_TRUE(state.profiles().empty());
}
