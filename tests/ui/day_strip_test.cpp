// The day strip under the ribbon: its pictures for three kinds of day, scrubbing and playing a
// preview onto the displays, and the keyboard cursor.
#include "platform/instant_date_time.h"
#include "support/event_loop.h"
#include "ui/model/day_strip_layout.h"
#include "ui/model/text_formats.h"
#include "ui/widgets/day_strip.h"
#include "ui/widgets/day_strip_panel.h"
#include "ui_test_support.h"

#include <ctime>

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace tintwell;
using namespace tintwell::ui;

namespace {

/// The process's time zone for one test: the strip counts its day in the user's zone.
struct LocalZone {
    explicit LocalZone(const char* zone) : saved(qgetenv("TZ")) { set(zone); }
    ~LocalZone() { set(saved.isEmpty() ? nullptr : saved.constData()); }
    static void set(const char* zone) {
        zone ? qputenv("TZ", zone) : qunsetenv("TZ");
        tzset();
    }
    QByteArray saved;
};

/// The panel as the main screen holds it: 12 px margins in the 320-px popup.
struct PanelHarness : test::PopupHarness {
    PanelHarness(double lat, double lon, const char* localTime)
        : now(platform::toInstant(QDateTime::fromString(localTime, Qt::ISODate))) {
        state.setLatitude(lat);
        state.setLongitude(lon);
        auto* column = new QVBoxLayout(&frame);
        column->setContentsMargins(12, 10, 12, 12);
        panel = new DayStripPanel(
            &state, &controller.displayEditor(), [this] { return now; },
            [this](std::optional<double> k) { previews.push_back(k); }, &frame);
        column->addWidget(panel);
        frame.resize(320, frame.sizeHint().height());
        frame.show();
    }
    Instant now;
    QWidget frame;
    DayStripPanel* panel = nullptr;
    std::vector<std::optional<double>> previews;
};

TEST(DayStrip, ThreeKindsOfDayFitThePopupAndSayWhatTheyAre) {
    const LocalZone berlin("Europe/Berlin");
    struct Shot {
        const char* name;
        double lat, lon;
        const char* now;
        std::size_t labels;
        QString caption;
    } shots[] = {
        {"berlin-december", 52.5, 13.4, "2026-12-21T13:00:00", 4, "Sunrise "},
        {"svalbard-polar-night", 78.2, 15.6, "2026-12-21T13:00:00", 0, "Polar night: "},
        {"berlin-clocks-back", 52.5, 13.4, "2026-10-25T13:00:00", 4, "25-hour day (clocks go back)"},
    };
    for (const Shot& s : shots) {
        SCOPED_TRACE(s.name);
        PanelHarness h(s.lat, s.lon, s.now);
        EXPECT_LE(h.frame.minimumSizeHint().width(), 320);
        EXPECT_EQ(h.panel->width(), 296);
        EXPECT_EQ(dayStrip::labelledEvents(h.panel->strip()->schedule()).size(), s.labels);
        EXPECT_TRUE(h.panel->caption()->text().contains(s.caption))
            << h.panel->caption()->text().toStdString();
        if (s.caption.startsWith("25")) { // one shot shows the keyboard cursor
            h.panel->strip()->setFocus();
            QTest::keyClick(h.panel->strip(), Qt::Key_Right, Qt::ShiftModifier);
        } else {
            h.panel->previewButton()->setFocus();
        }
        EXPECT_TRUE(test::saveScreenshots(h.frame, QStringLiteral("day-strip-%1").arg(s.name),
                                          h.frame.sizeHint().height()));
    }
}

TEST(DayStrip, ScrubbingAndPlayingPreviewTheDayAndPutItBack) {
    const LocalZone berlin("Europe/Berlin");
    PanelHarness h(52.5, 13.4, "2026-12-21T13:00:00");
    DayStrip* strip = h.panel->strip();
    const DaySchedule& day = strip->schedule();
    const int y = strip->barRect().center().y();
    const int dusk = strip->xOf(day.start + Seconds(15.5 * 3600));

    QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(2, y));
    QTest::mouseMove(strip, QPoint(dusk, y));
    ASSERT_EQ(h.previews.size(), 2u);
    EXPECT_EQ(h.previews[0], 3400);
    EXPECT_EQ(h.previews[1], day.kelvinAt(strip->instantAtX(dusk)));
    EXPECT_GT(*h.previews[1], 3400);
    EXPECT_LT(*h.previews[1], 6500);
    QTest::mouseRelease(strip, Qt::LeftButton, {}, QPoint(dusk, y));
    EXPECT_EQ(h.previews.back(), std::nullopt);

    // Closing the popup mid-scrub ends the preview too.
    QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(dusk, y));
    h.frame.hide();
    EXPECT_EQ(h.previews.back(), std::nullopt);
    h.frame.show();

    // "Preview day" plays start to end on the player's own clock: 0.25 s a frame here.
    h.previews.clear();
    auto played = std::chrono::steady_clock::time_point();
    h.panel->player()->setTimeSource([&] { return played += std::chrono::milliseconds(250); });
    h.panel->player()->setFrameInterval(std::chrono::milliseconds(0));
    h.panel->previewButton()->click();
    EXPECT_EQ(h.panel->previewButton()->text(), "Stop preview");
    ASSERT_TRUE(test::spinUntil([&] { return !h.panel->player()->isPlaying(); }));
    ASSERT_EQ(h.previews.size(), 22u); // the start, 20 frames to the end, and the way back
    EXPECT_EQ(h.previews.front(), 3400);
    EXPECT_TRUE(std::find(h.previews.begin(), h.previews.end(), 6500) != h.previews.end());
    EXPECT_EQ(h.previews.back(), std::nullopt);
    EXPECT_EQ(h.panel->previewButton()->text(), "Preview day");
}

TEST(DayStrip, ArrowsMoveTheCursorFromNow) {
    const LocalZone berlin("Europe/Berlin");
    PanelHarness h(52.5, 13.4, "2026-12-21T13:02:00");
    DayStrip* strip = h.panel->strip();
    strip->setFocus();
    ASSERT_TRUE(test::spinUntil([&] { return strip->hasFocus(); }));
    const Instant oneOClock = h.now - Seconds(120);
    EXPECT_EQ(strip->cursor(), oneOClock + Seconds(300)) << "focus puts the cursor on the grid at now";
    QTest::keyClick(strip, Qt::Key_Left);
    EXPECT_EQ(strip->cursor(), oneOClock);
    QTest::keyClick(strip, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(strip->cursor(), oneOClock + Seconds(3600));
    const QString caption = h.panel->caption()->text();
    EXPECT_TRUE(caption.startsWith(shortTime(oneOClock + Seconds(3600)) + " · 6500 K"))
        << caption.toStdString();
    QTest::keyClick(strip, Qt::Key_End);
    EXPECT_EQ(strip->cursor(), strip->schedule().end - Seconds(300));
}

} // namespace
