#pragma once

#include "core/instant.h"

#include <optional>

#include <QString>

namespace tintwell::ui {

/// `value` rounded half away from zero and printed as a plain integer ("4500", never "4500.0").
QString wholeNumber(double value);

/// The status row: "4215 K · -3.4°".
QString statusText(double kelvin, double altitudeDeg);

/// "+37.77°, -122.42° · auto" (or "manual").
QString locationSummary(double latitude, double longitude, bool automatic);

/// "Updated just now", "Updated 12s ago", "Updated 5m ago"; nothing without a fix or once it is an
/// hour old.
std::optional<QString> lastFixCaption(std::optional<Instant> fixAt, Instant now);

/// The subtitle under the twilight row: "≈ 45 min around sunrise & sunset", rounded to 5 minutes and
/// at least 5; "around sunrise & sunset" without an estimate.
QString twilightSubtitle(std::optional<double> minutes);

/// A time of day in the user's short time style, in the local time zone.
QString shortTime(Instant instant);

/// `until` relative to `now`, in words: "in 15 minutes", "in 2 hours", "3 minutes ago".
QString relativeTime(Instant until, Instant now);

/// The profile menu's label: the active profile's name, with " •" when it has unsaved changes.
QString profileMenuTitle(const QString& name, bool dirty);

} // namespace tintwell::ui
