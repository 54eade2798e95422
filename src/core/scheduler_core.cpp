#include "core/scheduler_core.h"

#include "core/solar_engine.h"

#include <algorithm>
#include <cmath>

namespace tintwell::core {
namespace {

double effectiveWidth(double width) {
    return std::isnan(width) ? 0.5 : std::max(width, 0.5);
}

} // namespace

double SchedulerCore::curveKelvin(double altitudeDeg, double dayKelvin, double nightKelvin, double widthDeg) {
    const double w = effectiveWidth(widthDeg);
    const double x = (altitudeDeg + w * 0.5) / w;
    const double t = x < 0.0 ? 0.0 : std::min(x, 1.0);
    const double s = t * t * (3.0 - 2.0 * t);
    return nightKelvin + (dayKelvin - nightKelvin) * s;
}

SchedulerCore::Output SchedulerCore::decide(const Input& in) {
    Output out;
    out.manualOverrideExpired =
        in.manualOverride && in.manualOverrideUntil && !(in.now < *in.manualOverrideUntil);
    const double a = core::SolarEngine::position(in.latitude, in.longitude, in.now).altitude;
    out.altitude = a;

    if (in.paused) {
        out.curveKelvin = 6500;
        out.action = Output::RestoreSystem{};
        out.nextIntervalSec = 60;
        return out;
    }

    const bool manual = in.manualOverride && !out.manualOverrideExpired;
    bool exceptionInForce = false;
    Decision exceptionDecision = Native{};
    if (manual) {
        out.curveKelvin = in.manualKelvin;
    } else {
        out.curveKelvin = curveKelvin(a, in.dayKelvin, in.nightKelvin, in.transitionWidthDeg);
        if (in.activeOverride && !in.activeOverrideDisplays.empty()) {
            exceptionInForce = true;
            if (const auto* force = std::get_if<ForceKelvin>(&in.activeOverride->action))
                exceptionDecision = Target{force->kelvin, in.brightness, in.gamma};
            else
                exceptionDecision = Native{};
        }
    }

    const DisplaySettings global{in.dayKelvin,  in.nightKelvin, in.transitionWidthDeg,
                                 in.brightness, in.gamma,       in.manualKelvin};
    DecisionMap decisions;
    for (const DisplayId id : in.onlineDisplays) {
        if (exceptionInForce && in.activeOverrideDisplays.contains(id)) {
            decisions[id] = exceptionDecision;
            continue;
        }
        const auto own = in.perDisplaySettings.find(id);
        const DisplaySettings& s = own != in.perDisplaySettings.end() ? own->second : global;
        const double kelvin =
            manual ? s.manualKelvin : curveKelvin(a, s.dayKelvin, s.nightKelvin, s.transitionWidthDeg);
        decisions[id] = Target{kelvin, s.brightness, s.gamma};
    }
    out.action = Output::ApplyDecisions{std::move(decisions)};

    double interval = std::fabs(a) <= 0.75 * effectiveWidth(in.transitionWidthDeg) ? 10.0 : 60.0;
    if (exceptionInForce)
        interval = 2.0;
    if (manual && in.manualOverrideUntil) {
        const double remaining = secondsSinceEpoch(*in.manualOverrideUntil) - secondsSinceEpoch(in.now);
        if (remaining > 0.0)
            interval = std::min(std::max(remaining, 1.0), interval);
    }
    out.nextIntervalSec = interval;
    return out;
}

} // namespace tintwell::core
