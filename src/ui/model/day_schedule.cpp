#include "ui/model/day_schedule.h"

#include "core/scheduler_core.h"
#include "core/solar_engine.h"
#include "platform/instant_date_time.h"
#include "settings/app_state.h"

#include <algorithm>
#include <cmath>

namespace tintwell::ui {
namespace {

double altitudeAt(const DayScheduleInput& in, Instant t) {
    return core::SolarEngine::position(in.latitude, in.longitude, t).altitude;
}

/// The instant in [lo, hi] where the altitude crosses `level`, given that it lies on different
/// sides of it at the two ends; halved until the bracket is under a quarter of a second.
Instant bisect(const DayScheduleInput& in, double level, Instant lo, Instant hi) {
    const bool loAbove = altitudeAt(in, lo) > level;
    while (hi - lo > Seconds(0.25)) {
        const Instant mid = lo + (hi - lo) / 2;
        if ((altitudeAt(in, mid) > level) == loAbove)
            lo = mid;
        else
            hi = mid;
    }
    return lo + (hi - lo) / 2;
}

bool pinned(const DayScheduleInput& in, Instant t) {
    return in.pin && t >= in.pin->from && (!in.pin->until || t < *in.pin->until);
}

} // namespace

int DaySchedule::lengthHours() const {
    return static_cast<int>(std::lround(lengthSec() / 3600));
}

double DaySchedule::kelvinAt(Instant t) const {
    if (pinned(input, t))
        return input.pin->kelvin;
    return core::SchedulerCore::curveKelvin(altitudeAt(input, t), input.dayKelvin, input.nightKelvin,
                                            input.transitionWidthDeg);
}

std::optional<Instant> DaySchedule::first(DayEventKind kind) const {
    const auto it =
        std::find_if(events.begin(), events.end(), [kind](const DayEvent& e) { return e.kind == kind; });
    return it == events.end() ? std::nullopt : std::optional(it->at);
}

bool DaySchedule::changes() const {
    return std::any_of(samples.begin(), samples.end(),
                       [this](const DaySample& s) { return s.kelvin != samples.front().kelvin; });
}

DaySchedule sampleDay(const DayScheduleInput& input) {
    DaySchedule day;
    day.input = input;
    day.start = platform::toInstant(input.date.startOfDay(input.zone));
    day.end = platform::toInstant(input.date.addDays(1).startOfDay(input.zone));

    const auto count = static_cast<int>(std::ceil(day.lengthSec() / DaySchedule::sampleStepSec));
    day.samples.reserve(count);
    for (int i = 0; i < count; ++i) {
        const Instant t = day.start + Seconds(DaySchedule::sampleStepSec * i);
        day.samples.push_back({t, altitudeAt(input, t), day.kelvinAt(t)});
    }

    // The band's edges are where the curve leaves or reaches its end values (the scheduler's own
    // width floor applies); the horizon is where the sun rises and sets.
    const double halfBand =
        std::max(std::isnan(input.transitionWidthDeg) ? 0.0 : input.transitionWidthDeg, 0.5) / 2;
    struct Level {
        double altitude;
        DayEventKind rising, sinking;
    };
    const Level levels[] = {{-halfBand, DayEventKind::MorningChangeStarts, DayEventKind::EveningChangeEnds},
                            {0, DayEventKind::Sunrise, DayEventKind::Sunset},
                            {halfBand, DayEventKind::MorningChangeEnds, DayEventKind::EveningChangeStarts}};
    for (std::size_t i = 0; i < day.samples.size(); ++i) {
        const Instant lo = day.samples[i].at;
        const Instant hi = i + 1 < day.samples.size() ? day.samples[i + 1].at : day.end;
        const double a0 = day.samples[i].altitude;
        const double a1 = altitudeAt(input, hi);
        for (const Level& level : levels) {
            if ((a0 > level.altitude) == (a1 > level.altitude))
                continue;
            const DayEventKind kind = a1 > level.altitude ? level.rising : level.sinking;
            const Instant at = bisect(input, level.altitude, lo, hi);
            const bool sunEvent = kind == DayEventKind::Sunrise || kind == DayEventKind::Sunset;
            if (at < day.end && (sunEvent || !pinned(input, at)))
                day.events.push_back({kind, at});
        }
    }
    std::stable_sort(day.events.begin(), day.events.end(),
                     [](const DayEvent& a, const DayEvent& b) { return a.at < b.at; });

    const bool rises = day.first(DayEventKind::Sunrise) || day.first(DayEventKind::Sunset);
    if (!rises && !day.samples.empty())
        day.sunlight = day.samples.front().altitude > 0 ? Sunlight::PolarDay : Sunlight::PolarNight;
    return day;
}

DayScheduleInput dayScheduleInput(const settings::AppState& state, const core::DisplaySettings& curve,
                                  QDate date, Instant now) {
    DayScheduleInput in;
    in.latitude = state.latitude();
    in.longitude = state.longitude();
    in.date = date;
    in.dayKelvin = curve.dayKelvin;
    in.nightKelvin = curve.nightKelvin;
    in.transitionWidthDeg = curve.transitionWidthDeg;
    const auto until = state.manualOverrideUntil();
    // The scheduler's precedence: a pause outranks a manual override.
    if (state.paused())
        in.pin = DayScheduleInput::Pin{now, std::nullopt, 6500};
    else if (state.manualOverride() && (!until || now < *until))
        in.pin = DayScheduleInput::Pin{now, until, curve.manualKelvin};
    return in;
}

QString dayEventName(DayEventKind kind) {
    switch (kind) {
    case DayEventKind::MorningChangeStarts:
        return QStringLiteral("Morning change starts");
    case DayEventKind::Sunrise:
        return QStringLiteral("Sunrise");
    case DayEventKind::MorningChangeEnds:
        return QStringLiteral("Morning change ends");
    case DayEventKind::EveningChangeStarts:
        return QStringLiteral("Evening change starts");
    case DayEventKind::Sunset:
        return QStringLiteral("Sunset");
    case DayEventKind::EveningChangeEnds:
        return QStringLiteral("Evening change ends");
    }
    return {};
}

QString dayEventKey(DayEventKind kind) {
    switch (kind) {
    case DayEventKind::MorningChangeStarts:
        return QStringLiteral("morningChangeStarts");
    case DayEventKind::Sunrise:
        return QStringLiteral("sunrise");
    case DayEventKind::MorningChangeEnds:
        return QStringLiteral("morningChangeEnds");
    case DayEventKind::EveningChangeStarts:
        return QStringLiteral("eveningChangeStarts");
    case DayEventKind::Sunset:
        return QStringLiteral("sunset");
    case DayEventKind::EveningChangeEnds:
        return QStringLiteral("eveningChangeEnds");
    }
    return {};
}

QString sunlightSentence(Sunlight sunlight) {
    switch (sunlight) {
    case Sunlight::PolarNight:
        return QStringLiteral("Polar night: the sun stays below the horizon all day.");
    case Sunlight::PolarDay:
        return QStringLiteral("Polar day: the sun stays above the horizon all day.");
    case Sunlight::RisesAndSets:
        break;
    }
    return {};
}

} // namespace tintwell::ui
