#include "ui/model/day_strip_layout.h"

#include "platform/instant_date_time.h"
#include "ui/model/text_formats.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numeric>

#include <QStringList>

namespace tintwell::ui::dayStrip {

double fractionOf(const DaySchedule& day, Instant t) {
    const double length = day.lengthSec();
    if (!(length > 0))
        return 0;
    return std::clamp((secondsSinceEpoch(t) - secondsSinceEpoch(day.start)) / length, 0.0, 1.0);
}

Instant instantAt(const DaySchedule& day, double fraction) {
    return day.start + Seconds(day.lengthSec() * std::clamp(fraction, 0.0, 1.0));
}

bool usesTwelveHourClock(const QLocale& locale) {
    return locale.timeFormat(QLocale::ShortFormat).contains(QLatin1Char('a'), Qt::CaseInsensitive);
}

QString hourLabel(int hour, bool twelveHour) {
    if (!twelveHour)
        return QStringLiteral("%1").arg(hour, 2, 10, QLatin1Char('0'));
    const int h = hour % 12 == 0 ? 12 : hour % 12;
    return QStringLiteral("%1 %2").arg(h).arg(hour < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
}

std::vector<HourTick> hourTicks(const DaySchedule& day, bool twelveHour, int labelEvery) {
    std::vector<HourTick> ticks;
    for (Instant t = day.start; t < day.end; t += Seconds(3600)) {
        const int hour = platform::toDateTime(t).toTimeZone(day.input.zone).time().hour();
        const bool labelled = labelEvery > 0 && hour % labelEvery == 0;
        ticks.push_back({fractionOf(day, t), labelled ? hourLabel(hour, twelveHour) : QString()});
    }
    return ticks;
}

std::vector<DayEvent> labelledEvents(const DaySchedule& day) {
    std::vector<DayEvent> out;
    std::copy_if(day.events.begin(), day.events.end(), std::back_inserter(out), [](const DayEvent& e) {
        return e.kind != DayEventKind::Sunrise && e.kind != DayEventKind::Sunset;
    });
    return out;
}

std::vector<std::optional<double>> spreadLabels(const std::vector<double>& centers,
                                                const std::vector<double>& widths, double span, double gap) {
    const std::size_t n = std::min(centers.size(), widths.size());
    std::vector<std::size_t> kept(n);
    std::iota(kept.begin(), kept.end(), std::size_t{0});
    const auto rowWidth = [&] {
        double sum = kept.empty() ? 0 : gap * static_cast<double>(kept.size() - 1);
        for (std::size_t i : kept)
            sum += widths[i];
        return sum;
    };
    // The labels at the ends stand for the changes the day shares with the days beside it.
    const auto fromEnd = [&](std::size_t i) { return std::min(centers[i], span - centers[i]); };
    while (!kept.empty() && rowWidth() > span) {
        kept.erase(std::min_element(kept.begin(), kept.end(),
                                    [&](std::size_t a, std::size_t b) { return fromEnd(a) < fromEnd(b); }));
    }

    // With each label's offset in a packed row taken off, no overlap means the remaining starts
    // never decrease: the least-squares fit is the mean of each run that would (pool adjacent
    // violators), and the strip's ends bound every start alike, so holding each to them is exact.
    std::vector<double> offset, target;
    double packed = 0;
    for (std::size_t i : kept) {
        offset.push_back(packed);
        target.push_back(centers[i] - widths[i] / 2 - packed);
        packed += widths[i] + gap;
    }
    struct Run {
        double sum;
        std::size_t count;
        double mean() const { return sum / static_cast<double>(count); }
    };
    std::vector<Run> runs;
    for (double t : target) {
        runs.push_back({t, 1});
        while (runs.size() > 1 && runs[runs.size() - 2].mean() > runs.back().mean()) {
            runs[runs.size() - 2].sum += runs.back().sum;
            runs[runs.size() - 2].count += runs.back().count;
            runs.pop_back();
        }
    }
    std::vector<std::optional<double>> left(n);
    const double last = span - rowWidth();
    std::size_t k = 0;
    for (const Run& run : runs)
        for (std::size_t j = 0; j < run.count; ++j, ++k)
            left[kept[k]] = std::clamp(run.mean(), 0.0, last) + offset[k];
    return left;
}

Instant stepCursor(const DaySchedule& day, Instant cursor, int steps) {
    const double step = DaySchedule::sampleStepSec;
    const double offset = secondsSinceEpoch(cursor) - secondsSinceEpoch(day.start);
    const double snapped = steps > 0 ? std::floor(offset / step) : std::ceil(offset / step);
    const double last = std::ceil(day.lengthSec() / step) - 1;
    const double index = std::clamp(snapped + steps, 0.0, std::max(last, 0.0));
    return day.start + Seconds(index * step);
}

QString eventTime(Instant t) {
    return shortTime(t + Seconds(30));
}

QString hoverText(const DaySchedule& day, Instant t, double toleranceSec) {
    QStringList lines{shortTime(t), wholeNumber(day.kelvinAt(t)) + QStringLiteral(" K")};
    const DayEvent* nearest = nullptr;
    for (const DayEvent& e : day.events) {
        const double distance = std::abs(secondsSinceEpoch(e.at) - secondsSinceEpoch(t));
        if (distance <= toleranceSec &&
            (!nearest || distance < std::abs(secondsSinceEpoch(nearest->at) - secondsSinceEpoch(t))))
            nearest = &e;
    }
    if (nearest)
        lines << dayEventName(nearest->kind) + QStringLiteral(" at ") + eventTime(nearest->at);
    return lines.join(QLatin1Char('\n'));
}

} // namespace tintwell::ui::dayStrip
