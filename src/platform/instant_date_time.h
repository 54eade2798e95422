#pragma once

#include "core/instant.h"

#include <cmath>

#include <QDateTime>
#include <QTimeZone>

namespace tintwell::platform {

/// The instant as a UTC date and time, to the nearest millisecond (Qt keeps no finer).
inline QDateTime toDateTime(Instant instant) {
    return QDateTime::fromMSecsSinceEpoch(
        static_cast<qint64>(std::llround(secondsSinceEpoch(instant) * 1000.0)), QTimeZone::utc());
}

inline Instant toInstant(const QDateTime& dateTime) {
    return instantFromSecondsSinceEpoch(static_cast<double>(dateTime.toMSecsSinceEpoch()) / 1000.0);
}

} // namespace tintwell::platform
