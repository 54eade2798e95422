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
    nlohmann::json runJson(const QStringList& arguments) {
        QProcess p;
        start(p, arguments);
        p.waitForFinished(30000);
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        return nlohmann::json::parse(p.readAllStandardOutput().toStdString(), nullptr, false);
    }
    bool allShow(const core::TransferTables& t) {
        const auto names = session.activeOutputs();
        return !names.empty() && std::ranges::all_of(names, [&](const auto& n) { return shows(n, t); });
    }
};

TEST_F(AppEndToEnd, ASetBesideTheRunningApplicationShowsWithinASecond) {
    start(app);
    ASSERT_TRUE(spinUntil([&] { return allShow(night); }));
    QProcess set;
    start(set, {"--set", "nightKelvin=2000"});
    ASSERT_TRUE(set.waitForFinished(10000) && set.exitCode() == 0);
    const auto colder = core::ColorTemperature::gammaRamp(2000, 1, 1);
    EXPECT_TRUE(spinUntil([&] { return allShow(colder); }, 1s));
}

TEST_F(AppEndToEnd, StatusReportsTheRunningInstanceOverDBus) {
    QProcess none;
    start(none, {"--status"});
    ASSERT_TRUE(none.waitForFinished(10000));
    EXPECT_EQ(none.exitCode(), 1);
    EXPECT_EQ(none.readAllStandardError().toStdString(), "Tintwell is not running.\n");

    start(app);
    ASSERT_TRUE(spinUntil([&] { return allShow(night); }));

    const auto status = runJson({"--status", "--json"});
    ASSERT_TRUE(status.is_object());
    EXPECT_EQ(status.at("currentKelvin"), 3400.0);
    EXPECT_LT(status.at("currentAltitude").get<double>(), -60);
    EXPECT_EQ(status.at("paused"), false);
    EXPECT_EQ(status.at("locationNeeded"), false);
    EXPECT_EQ(status.at("backend"), "x11");

    // What a key binding of the window manager runs.
    EXPECT_EQ(run({"--action", "togglePause"}).first, 0);
    EXPECT_TRUE(spinUntil([&] { return runJson({"--status", "--json"}).at("paused") == true; }));
}

TEST_F(AppEndToEnd, WithoutAnyPlaceTheCalibrationHoldsUntilOneIsGiven) {
    // A fresh folder, no GeoClue, and a time zone that names no city.
    ASSERT_TRUE(QDir(dir.filePath("config")).removeRecursively());
    env.insert("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent");
    env.insert("TZ", "Etc/UTC");
    ASSERT_TRUE(test::X11Session::xrandr({"--output", "DUMMY0", "--gamma", "0.8:0.9:1.0"}));
    const test::Ramp calibration = ramp("DUMMY0");
    start(app);
    ASSERT_TRUE(spinUntil(
        [&] {
            return run({"--status", "--json"}).second.find("\"locationNeeded\": true") != std::string::npos;
        },
        5s));
    spinUntil([] { return false; }, 300ms); // past the settings debounce: a tint would be written by now
    EXPECT_TRUE(test::rampsNear(ramp("DUMMY0"), calibration));
    // A place typed in: the sun there (local midnight) decides at once.
    ASSERT_EQ(run({"--set", "latitude=0", QString("longitude=%1").arg(midnightLongitude)}).first, 0);
    EXPECT_TRUE(spinUntil([&] { return allShow(night); }, 2s));
}

} // namespace
