#include "core/solar_engine.h"

#include <algorithm>
#include <cmath>

namespace tintwell::core {
namespace {

constexpr double kPi = 3.141592653589793;

double radians(double degrees) {
    return degrees * kPi / 180.0;
}
double degrees(double radians) {
    return radians * 180.0 / kPi;
}

} // namespace

SolarEngine::Position SolarEngine::position(double latitude, double longitude, Instant date) {
    // The order of operations below is deliberate: it reproduces the reference calculator's
    // rounding, so keep additions and multiplications as they are.
    const double s = secondsSinceEpoch(date);
    const double jd = s / 86400.0 + 2440587.5;
    const double t = (jd + (-2451545.0)) / 36525.0;

    const double meanObliquity =
        23.0 + (26.0 + (21.448 - t * (46.815 + t * (0.00059 + t * (-0.001813)))) / 60.0) / 60.0;
    const double omega = 125.04 - 1934.136 * t;
    const double obliquity = meanObliquity + 0.00256 * std::cos(radians(omega));
    const double tanHalf = std::tan(radians(obliquity) / 2.0);
    const double y = tanHalf * tanHalf;

    double l0 = std::fmod(280.46646 + t * (36000.76983 + 0.0003032 * t), 360.0);
    if (l0 < 0.0)
        l0 += 360.0;
    const double e = 0.016708634 - t * (0.000042037 + 0.0000001267 * t);
    const double m = 357.52911 + t * (35999.05029 - 0.0001537 * t);

    const double l0r = radians(l0);
    const double mr = radians(m);
    const double equationOfTime =
        4.0 * degrees(y * std::sin(2.0 * l0r) - 2.0 * e * std::sin(mr) +
                      4.0 * e * y * std::sin(mr) * std::cos(2.0 * l0r) - 0.5 * y * y * std::sin(4.0 * l0r) -
                      1.25 * e * e * std::sin(2.0 * mr));

    const double centre = std::sin(mr) * (1.914602 - t * (0.004817 + 0.000014 * t)) +
                          std::sin(2.0 * mr) * (0.019993 - 0.000101 * t) + 0.000289 * std::sin(3.0 * mr);
    double lambda = l0 + centre;
    lambda = lambda - 0.00569;
    lambda = lambda - 0.00478 * std::sin(radians(omega));
    const double declination = std::asin(std::sin(radians(obliquity)) * std::sin(radians(lambda)));

    const UtcTimeOfDay tod = utcTimeOfDay(date);
    const double minutes = tod.hour * 60.0 + tod.minute + tod.second / 60.0 +
                           static_cast<double>(tod.nanosecond) / 60000000000.0;

    double trueSolarTime = std::fmod(4.0 * longitude + (equationOfTime + minutes), 1440.0);
    if (trueSolarTime < 0.0)
        trueSolarTime += 1440.0;
    double hourAngle = trueSolarTime * 0.25 - 180.0;
    if (hourAngle < -180.0)
        hourAngle += 360.0;

    const double phi = radians(latitude);
    double c = std::sin(phi) * std::sin(declination) +
               std::cos(phi) * std::cos(declination) * std::cos(radians(hourAngle));
    c = std::clamp(c, -1.0, 1.0);
    const double zenith = std::acos(c);

    Position result;
    result.altitude = zenith * (-180.0) / kPi + 90.0;

    const double d = std::cos(phi) * std::sin(zenith);
    if (std::fabs(d) > 0.000001) {
        const double a = degrees(
            std::acos(std::clamp((std::sin(phi) * std::cos(zenith) - std::sin(declination)) / d, -1.0, 1.0)));
        double v = 180.0 - a;
        if (hourAngle > 0.0)
            v = -v;
        v = std::fmod(v, 360.0);
        if (v < 0.0)
            v += 360.0;
        // A tiny negative remainder plus 360 can round up to 360 itself.
        result.azimuth = v >= 360.0 ? 0.0 : v;
    } else {
        result.azimuth = latitude > 0.0 ? 180.0 : 0.0;
    }
    return result;
}

} // namespace tintwell::core
