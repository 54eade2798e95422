#include "core/scheduler_core.h"
#include "core/solar_engine.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace tintwell::core {
namespace {

using Input = SchedulerCore::Input;
using Output = SchedulerCore::Output;

// 2000-01-01 12:00 UTC at 0°, 0°: the sun stands about 67° high.
const Instant kNoon = instantFromSecondsSinceEpoch(946728000);
// Twelve hours later it is far below the horizon.
const Instant kMidnight = kNoon + Seconds(12 * 3600);

Input baseInput(Instant now) { // at 0°, 0°
    Input in;
    in.now = now;
    in.onlineDisplays = {1, 2};
    return in;
}

// An instant on 2000-01-01 where the sun at 0°, 0° is within a few hundredths of a degree of `altitude`
// on its way up.
Instant morningWhenAltitudeIs(double altitude) {
    Instant t = kNoon - Seconds(9 * 3600);
    while (core::SolarEngine::position(0, 0, t).altitude < altitude)
        t += Seconds(1);
    return t;
}

const auto decisions = [](const Output& out) {
    return std::get<Output::ApplyDecisions>(out.action).decisions;
};

TEST(SchedulerCoreTest, CurveFollowsTheTwilightBand) {
    const std::pair<double, double> rows[] = {{-90, 3400},   {-6, 3400}, {-3, 3884.375}, {0, 4950},
                                              {3, 6015.625}, {6, 6500},  {45, 6500}};
    for (const auto& [altitude, kelvin] : rows)
        EXPECT_NEAR(SchedulerCore::curveKelvin(altitude, 6500, 3400, 12), kelvin, 1e-9) << altitude;

    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const double width : {0.0, -4.0, nan}) {
        EXPECT_EQ(SchedulerCore::curveKelvin(0.25, 6500, 3400, width), 6500);
        EXPECT_EQ(SchedulerCore::curveKelvin(-0.25, 6500, 3400, width), 3400);
    }
    // A day value below the night value makes the curve fall.
    EXPECT_EQ(SchedulerCore::curveKelvin(10, 3000, 5000, 12), 3000);
}

TEST(SchedulerCoreTest, GlobalAndPerDisplaySettings) {
    Input in = baseInput(kMidnight);
    in.perDisplaySettings[2] = {6000, 2700, 8, 0.7, 1.1, 4100};
    in.perDisplaySettings[9] = {1, 1, 1, 1, 1, 1}; // not online: ignored
    const Output out = SchedulerCore::decide(in);
    EXPECT_LT(out.altitude, -40);
    EXPECT_EQ(out.curveKelvin, 3400);
    EXPECT_FALSE(out.manualOverrideExpired);
    EXPECT_EQ(out.nextIntervalSec, 60);
    EXPECT_EQ(decisions(out), (DecisionMap{{1, Target{3400, 1, 1}}, {2, Target{2700, 0.7, 1.1}}}));

    in.onlineDisplays = {};
    EXPECT_EQ(SchedulerCore::decide(in).action, Output::Action{Output::ApplyDecisions{}});
}

TEST(SchedulerCoreTest, PauseOutranksEverything) {
    for (const double untilInSec : {-5.0, 3600.0}) { // an expired override, and one still in force
        Input in = baseInput(kNoon);
        in.paused = true;
        in.manualOverride = true;
        in.manualKelvin = 4000;
        in.manualOverrideUntil = kNoon + Seconds(untilInSec);
        in.activeOverride = AppExceptionRule{"app", "App", Disable{}, true};
        in.activeOverrideDisplays = {1};
        const Output out = SchedulerCore::decide(in);
        EXPECT_EQ(out.action, Output::Action{Output::RestoreSystem{}}) << untilInSec;
        EXPECT_EQ(out.curveKelvin, 6500);
        EXPECT_EQ(out.nextIntervalSec, 60);
        EXPECT_EQ(out.manualOverrideExpired, untilInSec < 0);
        EXPECT_GT(out.altitude, 60);
    }
}

TEST(SchedulerCoreTest, ManualOverrideExpiryAndInterval) {
    struct Row {
        std::optional<double> untilInSec; // relative to now; nullopt = indefinite
        bool expired;
        double interval;
        double kelvin1;
    };
    const Row rows[] = {
        {std::nullopt, false, 60, 4100}, // indefinite: altitude-based interval
        {0.0, true, 60, 3400},           // an end equal to now has expired; the curve applies
        {-30.0, true, 60, 3400},         {0.3, false, 1, 4100}, // never less than a second
        {25.0, false, 25, 4100},         {7200.0, false, 60, 4100},
    };
    for (const auto& row : rows) {
        Input in = baseInput(kMidnight);
        in.manualOverride = true;
        in.manualKelvin = 4100;
        in.perDisplaySettings[2] = {6000, 2700, 8, 0.7, 1.1, 3900};
        if (row.untilInSec)
            in.manualOverrideUntil = in.now + Seconds(*row.untilInSec);
        const Output out = SchedulerCore::decide(in);
        const auto label = row.untilInSec ? std::to_string(*row.untilInSec) : "indefinite";
        EXPECT_EQ(out.manualOverrideExpired, row.expired) << label;
        EXPECT_EQ(out.nextIntervalSec, row.interval) << label;
        EXPECT_EQ(out.curveKelvin, row.kelvin1) << label;
        EXPECT_EQ(decisions(out).at(1), (Decision{Target{row.kelvin1, 1, 1}})) << label;
        // A display with its own settings pins its own manual value.
        EXPECT_EQ(std::get<Target>(decisions(out).at(2)).kelvin, row.expired ? 2700 : 3900) << label;
    }
}

TEST(SchedulerCoreTest, AppExceptions) {
    Input in = baseInput(kMidnight);
    in.activeOverride = AppExceptionRule{"org.gimp.GIMP", "GIMP", Disable{}, true};
    in.activeOverrideDisplays = {1};
    Output out = SchedulerCore::decide(in);
    EXPECT_EQ(decisions(out), (DecisionMap{{1, Native{}}, {2, Target{3400, 1, 1}}}));
    EXPECT_EQ(out.nextIntervalSec, 2);

    // forceKelvin carries the global brightness and gamma, never the display's own.
    in.activeOverride =
        AppExceptionRule{"mpv", "mpv", ForceKelvin{4500}, false}; // `enabled` is not consulted
    in.activeOverrideDisplays = {2};
    in.brightness = 0.9;
    in.gamma = 1.3;
    in.perDisplaySettings[2] = {6000, 2700, 8, 0.5, 2, 3900};
    EXPECT_EQ(decisions(SchedulerCore::decide(in)).at(2), (Decision{Target{4500, 0.9, 1.3}}));

    // No displays: not in force.
    in.activeOverrideDisplays = {};
    out = SchedulerCore::decide(in);
    EXPECT_EQ(out.nextIntervalSec, 60);
    EXPECT_EQ(decisions(out).at(2), (Decision{Target{2700, 0.5, 2}}));

    // Only offline displays: in force, yet no display gets the exception decision.
    in.activeOverrideDisplays = {7};
    out = SchedulerCore::decide(in);
    EXPECT_EQ(out.nextIntervalSec, 2);
    EXPECT_EQ(decisions(out).at(2), (Decision{Target{2700, 0.5, 2}}));

    // A manual override in force ignores the exception.
    in.activeOverrideDisplays = {1, 2};
    in.manualOverride = true;
    in.manualKelvin = 5200;
    out = SchedulerCore::decide(in);
    EXPECT_EQ(decisions(out), (DecisionMap{{1, Target{5200, 0.9, 1.3}}, {2, Target{3900, 0.5, 2}}}));
    EXPECT_EQ(out.nextIntervalSec, 60);
}

TEST(SchedulerCoreTest, IntervalNearTheBand) {
    const Instant dawn = morningWhenAltitudeIs(2.0);
    Input in = baseInput(dawn);
    const double a = SchedulerCore::decide(in).altitude;
    ASSERT_NEAR(a, 2.0, 0.05);
    // Within three quarters of the band's half-width the tick comes every ten seconds.
    const std::pair<double, double> rows[] = {
        {12, 10}, {a / 0.75 + 0.01, 10}, {a / 0.75 - 0.01, 60}, {0, 60}};
    for (const auto& [width, interval] : rows) {
        in.transitionWidthDeg = width;
        // Per-display widths never decide the interval.
        in.perDisplaySettings[1] = {6500, 3400, 40, 1, 1, 5000};
        EXPECT_EQ(SchedulerCore::decide(in).nextIntervalSec, interval) << width;
    }
}

} // namespace
} // namespace tintwell::core
