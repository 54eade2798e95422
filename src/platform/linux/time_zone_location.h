#pragma once

#include "platform/location_services.h"

#include <optional>
#include <variant>

#include <QString>

namespace tintwell::platform {

inline constexpr const char* systemZoneinfoDirectory = "/usr/share/zoneinfo";

/// The zone database name in a `TZ` value: ":Europe/Berlin", "Europe/Berlin" and
/// "/usr/share/zoneinfo/Europe/Berlin" all give "Europe/Berlin". Nothing for an empty value.
/// A POSIX rule such as "CET-1CEST" is returned as it is; it names no city.
std::optional<QString> zoneNameFromTz(const QString& tz);

/// The zone that the link `path` (normally /etc/localtime) points to inside a zoneinfo directory;
/// nothing when it is no link or points elsewhere.
std::optional<QString> zoneNameFromLink(const QString& path);

/// The principal city of `zone` from the zone tables in `zoneinfoDirectory` (zone1970.tab, then
/// zone.tab, following the database's links such as US/Pacific), as a time-zone fix without an
/// accuracy. A zone without a city (Etc/UTC) or a missing table gives a failure that says so;
/// never a fix at 0,0.
std::variant<Location, LocationError>
locationOfZone(const QString& zone, const QString& zoneinfoDirectory = systemZoneinfoDirectory);

/// Degrees from an ISO 6709 pair as the zone tables write it: ±DDMM±DDDMM or ±DDMMSS±DDDMMSS.
std::optional<std::pair<double, double>> parseIso6709(const QString& text);

} // namespace tintwell::platform
