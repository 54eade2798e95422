#pragma once

#include "ui/model/day_schedule.h"

#include <optional>
#include <vector>

#include <QLocale>
#include <QString>

namespace tintwell::ui {

/// Where things sit on the day strip, as fractions of its width: 0 is the day's first instant,
/// 1 its last, in elapsed time (a 23- or 25-hour day keeps every hour the same width).
namespace dayStrip {

/// The fraction of the day elapsed at `t`, held to [0, 1].
double fractionOf(const DaySchedule& day, Instant t);
/// The instant `fraction` of the way through the day (held to the day).
Instant instantAt(const DaySchedule& day, double fraction);

/// Whether the locale writes times of day with AM and PM.
bool usesTwelveHourClock(const QLocale& locale = QLocale());
/// "06" on a 24-hour clock; "6 AM", "12 PM" on a 12-hour one.
QString hourLabel(int hour, bool twelveHour);

struct HourTick {
    double fraction = 0;
    QString label; ///< empty for the unlabelled hours
    bool operator==(const HourTick&) const = default;
};
/// A tick at every whole local hour from the day's start; every `labelEvery` wall-clock hours
/// carries its label (the hour skipped or repeated by a clock change shows as such).
std::vector<HourTick> hourTicks(const DaySchedule& day, bool twelveHour, int labelEvery = 6);

/// The edges of the morning and evening changes, the events the strip labels.
std::vector<DayEvent> labelledEvents(const DaySchedule& day);

/// Left edges for labels of the given widths, in the order of their `centers` (ascending), no two
/// closer than `gap`, all inside [0, span], as near their centres as can be (least squares: labels
/// crowding each other move apart about their marks). When they cannot all fit, the ones nearest
/// either end give way, the earlier on a tie, and have no edge.
std::vector<std::optional<double>> spreadLabels(const std::vector<double>& centers,
                                                const std::vector<double>& widths, double span, double gap);

/// The cursor moved by `steps` sample steps (five minutes each), held to the day; a cursor off
/// the sample grid first snaps to it.
Instant stepCursor(const DaySchedule& day, Instant cursor, int steps);

/// An event's time of day to the nearest minute, in the user's short time style (a time of day
/// alone drops the seconds, which would put 16:35:45 at 16:35).
QString eventTime(Instant t);

/// What hovering at `t` tells: the time, the Kelvin and the event there, one per line.
QString hoverText(const DaySchedule& day, Instant t, double toleranceSec = 150);

} // namespace dayStrip
} // namespace tintwell::ui
