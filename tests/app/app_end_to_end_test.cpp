// The application end to end: the real program on the real test X server, with its own settings
// folder and runtime folder, its colours read back from a second connection.

#include "support/app_session.h"

#include <nlohmann/json.hpp>

using namespace tintwell;
using namespace std::chrono_literals;
using test::night;
using test::spinUntil;

namespace {

class AppEndToEnd : public test::AppSession {
protected:
    nlohmann::json status() {
        return nlohmann::json::parse(run({"--status", "--json"}).second, nullptr, false);
    }
    bool allShow(const core::TransferTables& t) {
        const auto names = session.activeOutputs();
        return !names.empty() && std::ranges::all_of(names, [&](const auto& n) { return shows(n, t); });
    }
};

TEST_F(AppEndToEnd, WithoutAnyPlaceTheCalibrationHoldsUntilOneIsGivenAndStatusTellsWhich) {
    // A fresh folder, no GeoClue, and a time zone that names no city.
    ASSERT_TRUE(QDir(dir.filePath("config")).removeRecursively());
    env.insert("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent");
    env.insert("TZ", "Etc/UTC");
    ASSERT_TRUE(test::X11Session::xrandr({"--output", "DUMMY0", "--gamma", "0.8:0.9:1.0"}));
    const test::Ramp calibration = ramp("DUMMY0");
    EXPECT_EQ(run({"--status"}).first, 1) << "nothing is running yet";
    start(app);
    ASSERT_TRUE(
        spinUntil([&] { return status().dump().find("\"locationNeeded\":true") != std::string::npos; }, 5s));
    // A tint not written can only be watched for: until past the settings debounce.
    EXPECT_FALSE(spinUntil([&] { return !test::rampsNear(ramp("DUMMY0"), calibration); }, 300ms));
    // A place typed in beside the running program: the sun there (local midnight) decides at once.
    ASSERT_EQ(run({"--set", "latitude=0", QString("longitude=%1").arg(midnightLongitude)}).first, 0);
    EXPECT_TRUE(spinUntil([&] { return allShow(night); }, 2s));
    const auto j = status();
    ASSERT_TRUE(j.is_object());
    EXPECT_EQ(j.at("currentKelvin"), 3400.0);
    EXPECT_LT(j.at("currentAltitude").get<double>(), -60);
    EXPECT_EQ(j.at("paused"), false);
    EXPECT_EQ(j.at("locationNeeded"), false);
    EXPECT_EQ(j.at("backend"), "x11");
}

} // namespace
