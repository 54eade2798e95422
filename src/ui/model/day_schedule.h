#pragma once

#include "core/instant.h"
#include "core/value_records.h"

#include <optional>
#include <vector>

#include <QDate>
#include <QString>
#include <QTimeZone>

namespace tintwell::settings {
class AppState;
}

namespace tintwell::ui {

/// One local calendar day of the schedule, and what it is drawn from.
struct DayScheduleInput {
    double latitude = 0;  ///< degrees, north positive
    double longitude = 0; ///< degrees, east positive
    QDate date;           ///< the calendar day in `zone`
    QTimeZone zone = QTimeZone::systemTimeZone();
    double dayKelvin = 6500;
    double nightKelvin = 3400;
    double transitionWidthDeg = 12;
    /// A Kelvin that replaces the curve over part of the day: a manual override or a pause in
    /// force now, from now until its end (none: to the end of the day).
    struct Pin {
        Instant from;
        std::optional<Instant> until;
        double kelvin = 6500;
        bool operator==(const Pin&) const = default;
    };
    std::optional<Pin> pin;

    bool operator==(const DayScheduleInput&) const = default;
};

enum class DayEventKind {
    MorningChangeStarts, ///< the sun climbs through the bottom of the twilight band
    Sunrise,             ///< the sun's centre climbs through the geometric horizon
    MorningChangeEnds,   ///< the sun climbs through the top of the band: the day value holds
    EveningChangeStarts, ///< the sun sinks through the top of the band
    Sunset,
    EveningChangeEnds, ///< the sun sinks through the bottom of the band: the night value holds
};

struct DayEvent {
    DayEventKind kind = DayEventKind::Sunrise;
    Instant at; ///< within half a second of the crossing
    bool operator==(const DayEvent&) const = default;
};

/// Whether the sun rises and sets on this day at all.
enum class Sunlight { RisesAndSets, PolarDay, PolarNight };

struct DaySample {
    Instant at;
    double altitude = 0; ///< degrees
    double kelvin = 0;
    bool operator==(const DaySample&) const = default;
};

/// A day sampled every five minutes from local midnight to the next, with the instants where the
/// tint starts and stops changing and where the sun rises and sets.
struct DaySchedule {
    static constexpr double sampleStepSec = 300;

    DayScheduleInput input;
    Instant start; ///< local midnight (or the day's first instant where midnight does not exist)
    Instant end;   ///< the next day's start
    std::vector<DaySample> samples; ///< 288 on a 24-hour day, 276 or 300 when the clocks change
    std::vector<DayEvent> events;   ///< in order of time; none inside a pinned span but the sun's
    Sunlight sunlight = Sunlight::RisesAndSets;

    double lengthSec() const { return secondsSinceEpoch(end) - secondsSinceEpoch(start); }
    /// 23, 24 or 25 (daylight-saving changes), to the nearest hour.
    int lengthHours() const;
    /// The Kelvin the schedule gives at `t`: the curve, or the pin where it holds.
    double kelvinAt(Instant t) const;
    std::optional<Instant> first(DayEventKind kind) const;
    /// Whether the Kelvin ever moves on this day.
    bool changes() const;

    bool operator==(const DaySchedule&) const = default;
};

/// Samples the day. Uses the solar engine and the scheduler's curve; pure.
DaySchedule sampleDay(const DayScheduleInput& input);

/// The day as the application runs it: the stored place and `curve` (the global values or those of
/// the display being edited), with a pause or a manual override pinned from `now` when one is in
/// force then. App exceptions are left out: they follow the frontmost application, not the clock.
DayScheduleInput dayScheduleInput(const settings::AppState& state, const core::DisplaySettings& curve,
                                  QDate date, Instant now);

/// "Morning change starts", "Sunrise", …
QString dayEventName(DayEventKind kind);
/// "morningChangeStarts", "sunrise", … (the names in JSON).
QString dayEventKey(DayEventKind kind);

/// One line saying what the day's sun does: "Polar night: the sun stays below the horizon all day.",
/// "Polar day: …", or empty on an ordinary day.
QString sunlightSentence(Sunlight sunlight);

} // namespace tintwell::ui
