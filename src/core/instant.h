#pragma once

#include <chrono>
#include <cmath>

namespace tintwell {

/// Seconds as a double, so that instants keep fractional seconds.
using Seconds = std::chrono::duration<double>;

/// An absolute instant: seconds since 1970-01-01 00:00:00 UTC as a double. Negative values are
/// instants before 1970; the range is far beyond what a 64-bit nanosecond clock can hold.
using Instant = std::chrono::time_point<std::chrono::system_clock, Seconds>;

inline double secondsSinceEpoch(Instant instant) {
    return instant.time_since_epoch().count();
}

inline Instant instantFromSecondsSinceEpoch(double seconds) {
    return Instant(Seconds(seconds));
}

inline Instant instantFromSystemClock(std::chrono::system_clock::time_point tp) {
    return std::chrono::time_point_cast<Seconds>(tp);
}

/// The UTC time of day of an instant, split as a Gregorian calendar with zero offset would.
struct UtcTimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
    long nanosecond = 0;
};

inline UtcTimeOfDay utcTimeOfDay(Instant instant) {
    const double s = secondsSinceEpoch(instant);
    const double day = std::floor(s / 86400.0);
    double secondOfDay = s - day * 86400.0;
    if (secondOfDay < 0.0)
        secondOfDay = 0.0;
    if (secondOfDay >= 86400.0)
        secondOfDay = std::nextafter(86400.0, 0.0);
    const double whole = std::floor(secondOfDay);
    const auto wholeSeconds = static_cast<long>(whole);
    UtcTimeOfDay t;
    t.hour = static_cast<int>(wholeSeconds / 3600);
    t.minute = static_cast<int>((wholeSeconds % 3600) / 60);
    t.second = static_cast<int>(wholeSeconds % 60);
    t.nanosecond = std::min(999'999'999L, static_cast<long>(std::floor((secondOfDay - whole) * 1e9)));
    return t;
}

} // namespace tintwell
