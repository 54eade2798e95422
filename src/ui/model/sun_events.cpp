#include "ui/model/sun_events.h"

#include "core/scheduler_core.h"
#include "core/solar_engine.h"

#include <cmath>

namespace tintwell::ui {
namespace {

constexpr double stepSec = 60;
constexpr int steps = 172800 / 60;

double altitudeAt(double latitude, double longitude, Instant t) {
    return core::SolarEngine::position(latitude, longitude, t).altitude;
}

} // namespace

SunEvents nextSunEvents(double latitude, double longitude, Instant now) {
    SunEvents events;
    double previous = altitudeAt(latitude, longitude, now);
    for (int i = 1; i <= steps && !(events.sunrise && events.sunset); ++i) {
        const Instant t = now + Seconds(stepSec * i);
        const double a = altitudeAt(latitude, longitude, t);
        if (!events.sunrise && a > 0 && previous <= 0)
            events.sunrise = t;
        if (!events.sunset && a < 0 && previous >= 0)
            events.sunset = t;
        previous = a;
    }
    return events;
}

std::optional<double> twilightMinutesEstimate(double latitude, double longitude, double widthDeg,
                                              Instant now) {
    const auto sunrise = nextSunEvents(latitude, longitude, now).sunrise;
    if (!sunrise)
        return std::nullopt;
    const double rate = std::abs(altitudeAt(latitude, longitude, *sunrise + Seconds(stepSec)) -
                                 altitudeAt(latitude, longitude, *sunrise));
    if (!(rate > 0.0005))
        return std::nullopt;
    return widthDeg / rate;
}

double scopedRibbonKelvin(const core::DisplaySettings& s, double altitudeDeg) {
    return core::SchedulerCore::curveKelvin(altitudeDeg, s.dayKelvin, s.nightKelvin, s.transitionWidthDeg);
}

} // namespace tintwell::ui
