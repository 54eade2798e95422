#include "core/record_json.h"

#include <gtest/gtest.h>

namespace tintwell::core {
namespace {

using nlohmann::json;

TEST(RecordJsonTest, RoundTripsEveryRecord) {
    const DisplaySettings settings{6100, 3300, 10, 0.8, 1.2, 4200};
    EXPECT_EQ(json(settings).get<DisplaySettings>(), settings);

    const Profile profile{
        {6000, 2700, 8, 0.9, 1, 3000}, *Uuid::parse("6F9619FF-8B86-D011-B42D-00C04FC964FF"), "Évening ☾"};
    const json encoded = profile;
    EXPECT_EQ(encoded["id"], "6F9619FF-8B86-D011-B42D-00C04FC964FF");
    EXPECT_EQ(encoded.size(), 8u);
    EXPECT_EQ(encoded.get<Profile>(), profile);

    const std::vector<AppExceptionRule> rules = {{"org.gimp.GIMP", "GIMP", Disable{}, true},
                                                 {"mpv", "mpv", ForceKelvin{4500}, false}};
    EXPECT_EQ(json::parse(json(rules).dump()).get<std::vector<AppExceptionRule>>(), rules);
    EXPECT_EQ(json(rules[0])["action"], json::parse(R"({"disable": {}})"));
    EXPECT_EQ(json(rules[1])["action"], json::parse(R"({"forceKelvin": {"_0": 4500}})"));
}

TEST(RecordJsonTest, LowerCaseIdentifiersAreAcceptedAndWrittenUpperCase) {
    auto j = json(Profile{{}, Uuid::random(), "p"});
    j["id"] = "6f9619ff-8b86-d011-b42d-00c04fc964ff";
    EXPECT_EQ(json(j.get<Profile>())["id"], "6F9619FF-8B86-D011-B42D-00C04FC964FF");
}

TEST(RecordJsonTest, DecodingFailures) {
    json noManual = DisplaySettings{};
    noManual.erase("manualKelvin");
    json stringKelvin = DisplaySettings{};
    stringKelvin["dayKelvin"] = "6500";
    for (const json& bad : {noManual, stringKelvin, json::array()})
        EXPECT_FALSE(decodeJson<DisplaySettings>(bad).value) << bad;
    json profile = Profile{{}, Uuid::random(), "p"};
    profile["id"] = "6F9619F-F8B86-D011-B42D-00C04FC964FF"; // the right length, a dash misplaced
    EXPECT_FALSE(decodeJson<Profile>(profile).value);
    EXPECT_FALSE(decodeJsonText<std::vector<Profile>>("[{").value);

    // Each text with its error; an empty one: any message.
    const std::pair<const char*, const char*> actions[] = {
        {"{}", "Invalid number of keys found, expected one."},
        {R"({"disable": {}, "forceKelvin": {"_0": 1}})", "Invalid number of keys found, expected one."},
        {R"({"forceKelvin": {"_0": "warm"}})", ""},
        {R"({"dim": {}})", ""},
    };
    for (const auto& [text, error] : actions) {
        const auto decoded = decodeJsonText<AppExceptionAction>(text);
        EXPECT_FALSE(decoded.value) << text;
        if (*error) {
            EXPECT_EQ(decoded.error, error) << text;
        }
    }

    // One bad element fails the whole collection.
    const auto rules =
        json::parse(R"([{"bundleId": "a", "displayName": "A", "action": {"disable": {}}, "enabled": true},
                                      {"bundleId": "b", "displayName": "B", "action": {"disable": {}}}])");
    EXPECT_FALSE(decodeJson<std::vector<AppExceptionRule>>(rules).value);
}

} // namespace
} // namespace tintwell::core
