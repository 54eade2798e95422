#include "ui/model/day_strip_layout.h"

#include "platform/instant_date_time.h"
#include "ui/model/text_formats.h"

#include <algorithm>
#include <cmath>
#include <iterator>

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

std::vector<double> spreadLabels(const std::vector<double>& centers, const std::vector<double>& widths,
                                 double span, double gap) {
    const std::size_t n = std::min(centers.size(), widths.size());
    std::vector<double> left(n);
    // Left to right: each label as near its centre as the one before allows; then right to left
    // to pull back whatever ran over the end; then the start again if that pushed past 0.
    for (std::size_t i = 0; i < n; ++i) {
        left[i] = std::max(centers[i] - widths[i] / 2, 0.0);
        if (i > 0)
            left[i] = std::max(left[i], left[i - 1] + widths[i - 1] + gap);
    }
    for (std::size_t i = n; i-- > 0;) {
        const double limit = i + 1 < n ? left[i + 1] - gap : span;
        left[i] = std::min(left[i], limit - widths[i]);
    }
    for (std::size_t i = 0; i < n; ++i) {
        left[i] = std::max(left[i], i > 0 ? left[i - 1] + widths[i - 1] + gap : 0.0);
    }
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
