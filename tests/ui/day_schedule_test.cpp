#include "core/scheduler_core.h"
#include "core/solar_engine.h"
#include "platform/instant_date_time.h"
#include "ui/model/day_schedule.h"
#include "ui/model/day_strip_layout.h"

#include <gtest/gtest.h>

namespace tintwell::ui {
namespace {

using K = DayEventKind;

DayScheduleInput place(double lat, double lon, const char* date, const char* zone) {
    DayScheduleInput in;
    in.latitude = lat;
    in.longitude = lon;
    in.date = QDate::fromString(QString::fromLatin1(date), Qt::ISODate);
    in.zone = QTimeZone(zone);
    return in;
}

double curveAt(const DayScheduleInput& in, Instant t) {
    const double a = core::SolarEngine::position(in.latitude, in.longitude, t).altitude;
    return core::SchedulerCore::curveKelvin(a, in.dayKelvin, in.nightKelvin, in.transitionWidthDeg);
}

QString localTime(const DaySchedule& day, Instant t) {
    return platform::toDateTime(t).toTimeZone(day.input.zone).toString("HH:mm");
}

TEST(DaySchedule, SamplesTheCurveAndFindsItsEdgesToTheSecond) {
    struct Row {
        const char* what;
        DayScheduleInput in;
        int hours;
        Sunlight sunlight;
        const char* edges; // local HH:mm of each event in DayEventKind order, each within a minute
    };
    const Row rows[] = {
        {"Berlin, winter solstice", place(52.5, 13.4, "2026-12-21", "Europe/Berlin"), 24,
         Sunlight::RisesAndSets, "07:33 08:22 09:19 14:49 15:47 16:36"},
        {"Berlin, clocks forward", place(52.5, 13.4, "2026-03-29", "Europe/Berlin"), 23,
         Sunlight::RisesAndSets, ""},
        {"Berlin, clocks back", place(52.5, 13.4, "2026-10-25", "Europe/Berlin"), 25, Sunlight::RisesAndSets,
         ""},
        {"78°N in December", place(78.2, 15.6, "2026-12-21", "Arctic/Longyearbyen"), 24, Sunlight::PolarNight,
         ""},
        {"78°N in June", place(78.2, 15.6, "2026-06-21", "Arctic/Longyearbyen"), 24, Sunlight::PolarDay, ""},
        {"equator", place(0, 0, "2026-03-20", "UTC"), 24, Sunlight::RisesAndSets,
         "05:43 06:07 06:31 17:43 18:07 18:31"},
    };
    const double flat[] = {3400, 0, 6500, 6500, 0, 3400}; // each kind's end value; 0: the horizon
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const DaySchedule day = sampleDay(row.in);
        EXPECT_EQ(day.lengthHours(), row.hours);
        ASSERT_EQ(day.samples.size(), static_cast<std::size_t>(row.hours * 12));
        EXPECT_EQ(day.sunlight, row.sunlight);
        EXPECT_EQ(localTime(day, day.start), "00:00");
        for (std::size_t i = 0; i < day.samples.size(); ++i) {
            EXPECT_EQ(day.samples[i].at, day.start + Seconds(300.0 * i));
            EXPECT_EQ(day.samples[i].kelvin, curveAt(row.in, day.samples[i].at));
        }
        EXPECT_EQ(day.events.size(), row.sunlight == Sunlight::RisesAndSets ? 6u : 0u);
        EXPECT_EQ(day.changes(), row.sunlight == Sunlight::RisesAndSets);
        const QStringList edges = QString(row.edges).split(' ', Qt::SkipEmptyParts);
        for (qsizetype i = 0; i < edges.size() && i < qsizetype(day.events.size()); ++i) {
            EXPECT_EQ(day.events[i].kind, K(i));
            const QDateTime expected(row.in.date, QTime::fromString(edges[i], "HH:mm"), row.in.zone);
            EXPECT_NEAR(secondsSinceEpoch(day.events[i].at), secondsSinceEpoch(platform::toInstant(expected)),
                        60);
        }
        // One second either side of an edge the curve is at its end value on one side only; at sunrise
        // and sunset it crosses the middle.
        for (const DayEvent& e : day.events) {
            const auto side = [&](double s) {
                const double k = curveAt(row.in, e.at + Seconds(s)), end = flat[int(e.kind)];
                return end ? k == end : k > 4950;
            };
            EXPECT_NE(side(-1), side(1)) << dayEventKey(e.kind).toStdString();
        }
    }
}

TEST(DaySchedule, APinHoldsFromNowToItsEndAndHidesTheChangesUnderIt) {
    DayScheduleInput in = place(52.5, 13.4, "2026-12-21", "Europe/Berlin");
    const Instant noon = platform::toInstant(QDateTime(in.date, QTime(12, 0), in.zone));
    in.pin = DayScheduleInput::Pin{noon, noon + Seconds(4 * 3600), 2700};
    const DaySchedule day = sampleDay(in);
    EXPECT_EQ(day.kelvinAt(noon - Seconds(1)), 6500);
    EXPECT_EQ(day.kelvinAt(noon), 2700);
    EXPECT_EQ(day.kelvinAt(noon + Seconds(5 * 3600)), 3400);
    EXPECT_FALSE(day.first(K::EveningChangeStarts));
    EXPECT_TRUE(day.first(K::Sunset));
    EXPECT_EQ(day.events.size(), 5u);
}

TEST(DayStripLayout, PlacesHoursLabelsAndTheCursor) {
    const DaySchedule spring = sampleDay(place(52.5, 13.4, "2026-03-29", "Europe/Berlin"));
    const auto ticks = dayStrip::hourTicks(spring, false);
    ASSERT_EQ(ticks.size(), 23u);
    EXPECT_EQ(ticks[2].label, QString()); // 03:00 follows 01:00
    EXPECT_EQ(ticks[5].label, "06");
    EXPECT_NEAR(ticks[5].fraction, 5.0 / 23, 1e-12);
    const DaySchedule autumn = sampleDay(place(52.5, 13.4, "2026-10-25", "Europe/Berlin"));
    std::vector<QString> labels;
    for (const auto& t : dayStrip::hourTicks(autumn, true))
        if (!t.label.isEmpty())
            labels.push_back(t.label);
    EXPECT_EQ(labels, (std::vector<QString>{"12 AM", "6 AM", "12 PM", "6 PM"}));

    EXPECT_EQ(dayStrip::fractionOf(autumn, dayStrip::instantAt(autumn, 0.25)), 0.25);
    EXPECT_EQ(dayStrip::instantAt(autumn, 2), autumn.end);
    EXPECT_EQ(dayStrip::stepCursor(autumn, autumn.start + Seconds(70), 1), autumn.start + Seconds(300));
    EXPECT_EQ(dayStrip::stepCursor(autumn, autumn.start + Seconds(70), -1), autumn.start);
    EXPECT_EQ(dayStrip::stepCursor(autumn, autumn.end, 12), autumn.end - Seconds(300));

    struct Spread {
        const char* what;
        std::vector<double> centers, widths;
        std::vector<std::optional<double>> lefts;
    };
    const Spread spreads[] = {
        {"room for all: centred", {50, 150}, {40, 40}, {30, 130}},
        {"too close: both move apart about their marks", {100, 105}, {40, 40}, {59.5, 105.5}},
        {"morning and evening pairs each spread on their own",
         {60, 70, 140, 150},
         {30, 30, 30, 30},
         {32, 68, 112, 148}},
        {"at the edges: held inside", {5, 198}, {40, 40}, {0, 160}},
        {"crowded at the right end", {190, 195, 199}, {40, 40, 40}, {68, 114, 160}},
        {"crowded at both ends", {1, 12, 188, 199}, {40, 40, 40, 40}, {0, 46, 114, 160}},
        {"no room: those nearest midnight give way, the earlier first",
         {10, 60, 100, 140, 190},
         {50, 50, 50, 50, 50},
         {std::nullopt, 19, 75, 131, std::nullopt}},
    };
    for (const Spread& s : spreads)
        EXPECT_EQ(dayStrip::spreadLabels(s.centers, s.widths, 200, 6), s.lefts) << s.what;
}

} // namespace
} // namespace tintwell::ui
