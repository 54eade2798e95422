#include "core/record_json.h"
#include "settings/app_state.h"

#include <cmath>

#include <gtest/gtest.h>

using namespace tintwell::settings;
using tintwell::instantFromSecondsSinceEpoch;
using tintwell::core::AppExceptionRule;
using tintwell::core::Disable;
using tintwell::core::DisplaySettings;
using tintwell::core::ForceKelvin;
using tintwell::core::Profile;
using tintwell::core::Uuid;

namespace {

const auto dbl = [](double v) { return Value(std::in_place_type<double>, v); };
const auto integer = [](std::int64_t v) { return Value(std::in_place_type<std::int64_t>, v); };
const auto str = [](const char* v) { return Value(std::in_place_type<std::string>, v); };
const auto data = [](const std::string& v) { return Value(std::in_place_type<Data>, Data{v}); };

} // namespace

TEST(AppState, ConsentDerivation) {
    struct Row {
        const char* what;
        Dictionary stored;
        UpdateConsent expected;
    };
    const std::vector<Row> rows{
        {"nothing", {}, UpdateConsent::Undecided},
        {"any setting", {{storedKey("latitude"), dbl(1)}}, UpdateConsent::Allowed},
        {"only foreign keys",
         {{"SUEnableAutomaticChecks", Value(true)}, {"GlobalShortcuts_tintwell.togglePause", Value(false)}},
         UpdateConsent::Undecided},
        {"wrong case alone", {{storedKey("updateConsent"), str("Allowed")}}, UpdateConsent::Undecided},
        {"wrong case with settings",
         {{storedKey("updateConsent"), str("Allowed")}, {storedKey("paused"), Value(true)}},
         UpdateConsent::Allowed},
        {"not a string", {{storedKey("updateConsent"), integer(1)}}, UpdateConsent::Undecided},
        {"declined beats prior state",
         {{storedKey("updateConsent"), str("declined")}, {storedKey("paused"), Value(true)}},
         UpdateConsent::Declined},
    };
    for (const auto& row : rows) {
        InMemoryUserDefaults defaults(row.stored);
        EXPECT_EQ(AppState(defaults).updateConsent(), row.expected) << row.what;
    }
}

TEST(AppState, APlaceIsKnownOnceStoredNeverByDefault) {
    const Dictionary place{{storedKey("latitude"), dbl(52.5)}, {storedKey("longitude"), dbl(13.4)}};
    Dictionary unmarked = place;
    unmarked[storedKey("locationKnown")] = Value(false);
    for (const auto& [stored, known] : std::vector<std::pair<Dictionary, bool>>{
             {{}, false}, {{*place.begin()}, false}, {place, true}, {unmarked, false}}) {
        InMemoryUserDefaults defaults(stored);
        EXPECT_EQ(AppState(defaults).locationKnown(), known) << stored.size();
    }
}

TEST(AppState, NumbersAndFlagsReadEachOthersStoredForms) {
    InMemoryUserDefaults defaults({
        {storedKey("nightKelvin"), integer(3000)},
        {storedKey("brightness"), Value(true)},
        {storedKey("paused"), integer(1)},
        {storedKey("useAutoLocation"), dbl(0)},
    });
    AppState s(defaults);
    EXPECT_EQ(s.nightKelvin(), 3000);
    EXPECT_EQ(s.brightness(), 1.0);
    EXPECT_TRUE(s.paused());
    EXPECT_FALSE(s.useAutoLocation());
    EXPECT_EQ(s.currentKelvin(), 6500);
    EXPECT_TRUE(defaults.writtenKeys().empty());
}

TEST(AppState, SwitchingManualOverrideOffForgetsItsEnd) {
    InMemoryUserDefaults defaults;
    AppState s(defaults);
    s.setManualOverrideUntil(instantFromSecondsSinceEpoch(2e9));
    s.setManualOverride(true);
    EXPECT_TRUE(s.manualOverrideUntil());
    int untilSignals = 0;
    QObject::connect(&s, &AppState::manualOverrideUntilChanged, [&] { ++untilSignals; });
    s.setManualOverride(false);
    EXPECT_FALSE(s.manualOverrideUntil());
    EXPECT_EQ(untilSignals, 1);
    EXPECT_EQ(defaults.object(storedKey("manualOverrideUntil")), integer(0));
    EXPECT_EQ(defaults.object(storedKey("manualOverride")), Value(false));
    EXPECT_FALSE(AppState(defaults).manualOverrideUntil()); // 0 is none
}

TEST(AppState, SaveWritesOnlyTheScalarsChangedSinceTheyWereLoaded) {
    InMemoryUserDefaults defaults;
    AppState s(defaults);
    s.setLatitude(48.85);
    s.setDayKelvin(6500); // the default in force: no change
    s.setSuspendSave(true);
    s.setGamma(1.2);
    s.setNightKelvin(3000);
    s.setSuspendSave(false);
    s.save();
    EXPECT_EQ(defaults.writtenKeys(),
              (std::vector<std::string>{storedKey("latitude"), storedKey("locationKnown"),
                                        storedKey("nightKelvin"), storedKey("gamma")}));
    EXPECT_EQ(defaults.object(storedKey("latitude")), dbl(48.85));
    EXPECT_EQ(defaults.object(storedKey("gamma")), dbl(1.2));

    defaults.clearWrites();
    s.setCurrentKelvin(4000);
    s.setCurrentAltitude(-3);
    EXPECT_TRUE(defaults.writtenKeys().empty());
    s.setUpdateConsent(UpdateConsent::Declined);
    EXPECT_EQ(defaults.writtenKeys(), std::vector<std::string>{storedKey("updateConsent")});
    EXPECT_EQ(defaults.object(storedKey("updateConsent")), str("declined"));
}

TEST(AppState, UndecodableDataStaysStoredUntilThePropertyIsAssigned) {
    const Dictionary stored{
        {keys::profiles, data("[{\"id\": \"nope\"}]")},
        {keys::appExceptions, data("{")},
        {keys::displayOverrides,
         data(
             R"({"A": {"dayKelvin": 1, "nightKelvin": 1, "transitionWidthDeg": 1, "brightness": 1, "gamma": 1}})")},
        {keys::activeProfileId, str("not-an-id")},
    };
    InMemoryUserDefaults defaults(stored);
    AppState s(defaults);
    EXPECT_TRUE(s.profiles().empty() && s.appExceptions().empty() && s.displayOverrides().empty());
    EXPECT_FALSE(s.activeProfileId());
    s.setLatitude(1);
    s.setUpdateConsent(UpdateConsent::Allowed);
    for (const auto& [key, value] : stored)
        EXPECT_EQ(defaults.object(key), value) << key;

    s.setProfiles({});
    EXPECT_EQ(defaults.object(keys::profiles), data("[]"));
    s.setActiveProfileId(std::nullopt);
    EXPECT_FALSE(defaults.object(keys::activeProfileId));
}

TEST(AppState, CollectionsRoundTrip) {
    InMemoryUserDefaults defaults;
    const Profile evening{{6000, 2500, 10, 0.9, 1.1, 4000}, Uuid::random(), "Evening"};
    const std::vector<AppExceptionRule> rules{{"org.kde.krita", "Krita", Disable{}, true},
                                              {"mpv", "mpv", ForceKelvin{4500}, false}};
    const DisplaySettings own{5000, 3000, 8, 0.8, 1, 4500};
    {
        AppState s(defaults);
        s.setProfiles({evening});
        s.setActiveProfileId(evening.id);
        s.setAppExceptions(rules);
        s.setDisplaySettings(own, "00000000-0000-5000-8000-000000000001");
    }
    AppState s(defaults);
    EXPECT_EQ(s.profiles(), std::vector<Profile>{evening});
    EXPECT_EQ(s.activeProfileId(), evening.id);
    EXPECT_EQ(s.appExceptions(), rules);
    EXPECT_EQ(s.displayOverrides(), (DisplayOverrides{{"00000000-0000-5000-8000-000000000001", own}}));
}

TEST(AppState, DisplayOverridesAreWrittenWholeUnlessTheyCannotBeEncoded) {
    InMemoryUserDefaults defaults;
    AppState s(defaults);
    s.clearDisplayOverride("nobody"); // still rewrites the map
    EXPECT_EQ(defaults.writtenKeys(), std::vector<std::string>{keys::displayOverrides});
    EXPECT_EQ(defaults.object(keys::displayOverrides), data("{}"));
    s.setDisplaySettings({}, "A");
    const auto before = defaults.object(keys::displayOverrides);
    s.setDisplaySettings({NAN, 1, 1, 1, 1, 1}, "B");
    EXPECT_EQ(s.displayOverrides().size(), 2u);
    EXPECT_EQ(defaults.object(keys::displayOverrides), before);
}
