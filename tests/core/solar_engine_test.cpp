#include "core/solar_engine.h"

#include <chrono>
#include <cmath>

#include <gtest/gtest.h>

namespace tintwell::core {
namespace {

// Seconds since 1970 for a UTC calendar date, from the calendar arithmetic of <chrono>, not the
// platform's time functions.
double utcSeconds(int year, int month, int day, int hour, int minute = 0, int second = 0) {
    const std::chrono::sys_days date{std::chrono::year(year) / month / day};
    return double(date.time_since_epoch().count()) * 86400.0 + hour * 3600.0 + minute * 60.0 + second;
}

struct WorkedValue {
    double latitude, longitude;
    double utc;
    double altitude, azimuth;
};

TEST(SolarEngineTest, ReproducesWorkedValues) {
    const WorkedValue rows[] = {
        {0, 0, utcSeconds(2000, 1, 1, 12), 66.95, 178.06},
        {51.5, -0.1, utcSeconds(2024, 6, 21, 12), 61.93, 178.87},
        {40, -105, utcSeconds(2024, 12, 21, 19), 26.56, 180.39},
        {-33.87, 151.21, utcSeconds(2024, 3, 20, 2), 56.14, 1.16},
        {48.85, 2.35, utcSeconds(2024, 10, 15, 7, 42, 59), 13.13, 120.26},
        {48.85, 2.35, utcSeconds(1969, 7, 20, 12), 61.79, 181.55}, // before 1970: negative seconds
    };
    for (const auto& row : rows) {
        const auto p =
            SolarEngine::position(row.latitude, row.longitude, instantFromSecondsSinceEpoch(row.utc));
        EXPECT_NEAR(p.altitude, row.altitude, 0.005) << row.latitude << "," << row.longitude;
        EXPECT_NEAR(p.azimuth, row.azimuth, 0.005) << row.latitude << "," << row.longitude;
    }
}

// At these places the sun stands exactly overhead (underfoot) and rounding takes the cosine of the
// zenith angle just past 1 (-1).
TEST(SolarEngineTest, ZenithAndNadirAreExactNotNaN) {
    const auto when = instantFromSecondsSinceEpoch(utcSeconds(2024, 3, 3, 22));
    const auto zenith = SolarEngine::position(-6.363863044205332, -147.07276299870824, when);
    const auto nadir = SolarEngine::position(6.363863044205332, 32.92723700129176, when);
    EXPECT_EQ(zenith.altitude, 90);
    EXPECT_EQ(zenith.azimuth, 0);
    EXPECT_EQ(nadir.altitude, -90);
    EXPECT_EQ(nadir.azimuth, 180);
}

TEST(SolarEngineTest, PolesUseFixedAzimuthAndDeclinationAsAltitude) {
    const auto when = instantFromSecondsSinceEpoch(utcSeconds(2024, 6, 21, 7, 13));
    for (const double hourOffset : {0.0, 5.5, 13.25}) {
        const auto t = when + Seconds(hourOffset * 3600);
        const auto north = SolarEngine::position(90, 10, t);
        const auto south = SolarEngine::position(-90, 10, t);
        EXPECT_EQ(north.azimuth, 180);
        EXPECT_EQ(south.azimuth, 0);
        EXPECT_NEAR(north.altitude, -south.altitude, 1e-9);
        EXPECT_NEAR(north.altitude, 23.43, 0.05); // the June solstice declination
    }
}

TEST(SolarEngineTest, LongitudeWrapsAndResultsStayInRange) {
    const auto t = instantFromSecondsSinceEpoch(utcSeconds(2023, 11, 5, 16, 40));
    const auto east = SolarEngine::position(30, 190, t);
    const auto west = SolarEngine::position(30, -170, t);
    EXPECT_NEAR(east.altitude, west.altitude, 1e-9);
    EXPECT_NEAR(east.azimuth, west.azimuth, 1e-9);

    for (double lat = -90; lat <= 90; lat += 7.5)
        for (double hour = 0; hour < 48; hour += 0.37) {
            const auto p = SolarEngine::position(lat, 13.4, t + Seconds(hour * 3600));
            ASSERT_FALSE(std::isnan(p.altitude));
            ASSERT_GE(p.altitude, -90);
            ASSERT_LE(p.altitude, 90);
            ASSERT_GE(p.azimuth, 0);
            ASSERT_LT(p.azimuth, 360);
        }
}

} // namespace
} // namespace tintwell::core
