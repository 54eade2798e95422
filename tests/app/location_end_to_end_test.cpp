// The application's first location on a machine without GeoClue: the time zone's principal city is
// stored and the displays are tinted for it.

#include "core/scheduler_core.h"
#include "support/app_session.h"

using namespace tintwell;
using namespace std::chrono_literals;

namespace {

constexpr double tokyoLatitude = 35.6544, tokyoLongitude = 139.7447;

double kelvinAt(double latitude, double longitude) {
    const Instant now = instantFromSystemClock(std::chrono::system_clock::now());
    const double altitude = core::SolarEngine::position(latitude, longitude, now).altitude;
    return core::SchedulerCore::curveKelvin(altitude, 6500, 3400, 12);
}

using LocationEndToEnd = test::AppSession;

TEST_F(LocationEndToEnd, AFirstStartWithoutGeoClueTintsByTheTimeZonesCity) {
    // Start from a place whose sky differs from Tokyo's now, so that only Tokyo's tint can pass.
    const bool tokyoIsBright = kelvinAt(tokyoLatitude, tokyoLongitude) > 4950;
    store([&](settings::AppState& s) {
        s.setUseAutoLocation(true);
        s.setLongitude(test::longitudeAtSolarHour(tokyoIsBright ? 0 : 12));
    });
    env.insert("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent");
    env.insert("TZ", "Asia/Tokyo");
    start(app);

    const auto tokyo = core::ColorTemperature::gammaRamp(kelvinAt(tokyoLatitude, tokyoLongitude), 1, 1);
    const bool tinted = test::spinUntil([&] { return test::rampShows(ramp("DUMMY0"), tokyo, 3); }, 2s);
    app.terminate();
    app.waitForFinished(10000);
    EXPECT_TRUE(tinted) << app.readAllStandardError().toStdString();

    settings::JsonFileUserDefaults defaults(settingsFile());
    const settings::AppState stored(defaults);
    EXPECT_NEAR(stored.latitude(), 35.65, 0.01);
    EXPECT_NEAR(stored.longitude(), 139.74, 0.01);
}

} // namespace
