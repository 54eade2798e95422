// The interface's pure rules: tray symbol and tooltip, texts, popup geometry, ribbon, sun scans.
#include "core/color_temperature.h"
#include "core/solar_engine.h"
#include "ui/model/desktop_entry_file.h"
#include "ui/model/horizon_ribbon_model.h"
#include "ui/model/popup_geometry.h"
#include "ui/model/sun_events.h"
#include "ui/model/text_formats.h"
#include "ui/model/tray_icon_rules.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>
#include <unistd.h>

using namespace tintwell;
using namespace tintwell::ui;

namespace {

Instant at(double seconds) {
    return instantFromSecondsSinceEpoch(seconds);
}

constexpr double june21 = 1782000000; // 2026-06-21 00:00 UTC
constexpr double march1 = 1772323200; // 2026-03-01 00:00 UTC

} // namespace

TEST(TrayIconRules, SymbolAndToolTip) {
    struct Case {
        bool paused;
        double altitude, kelvin;
        const char* symbol;
        const char* tip;
    };
    for (const Case& c : {
             Case{false, 0.0, 6500.0, "sun.max", "Tintwell — 6500 K @ 0.0°"},
             Case{false, -0.05, 4499.5, "moon.stars", "Tintwell — 4500 K @ -0.1°"},
             Case{true, 30, 6500, "sun.max.trianglebadge.exclamationmark", "Tintwell — 6500 K @ 30.0°"},
         }) {
        EXPECT_EQ(traySymbolName(c.paused, c.altitude), c.symbol) << c.altitude;
        EXPECT_EQ(trayToolTip(c.kelvin, c.altitude), QString::fromUtf8(c.tip));
    }
}

TEST(TextFormats, EachTextFromItsValues) {
    const Instant now = at(1e9);
    const auto fix = [&](double age) { return lastFixCaption(now - Seconds(age), now); };
    const struct {
        std::optional<QString> text;
        const char* expected; // nullptr: no text
    } cases[] = {
        {locationSummary(37.7749, -122.4194, true), "+37.77°, -122.42° · auto"},
        {locationSummary(-33.8688, 151.2093, false), "-33.87°, +151.21° · manual"},
        {profileMenuTitle("Custom", false), "Custom"},
        {lastFixCaption(std::nullopt, now), nullptr},
        {fix(0), "Updated just now"},
        {fix(2), "Updated 2s ago"},
        {fix(75), "Updated 1m ago"},
        {fix(3599), "Updated 59m ago"},
        {fix(3600), nullptr},
        {twilightSubtitle(std::nullopt), "around sunrise & sunset"},
        {twilightSubtitle(2.2), "≈ 5 min around sunrise & sunset"},
        {twilightSubtitle(47.6), "≈ 50 min around sunrise & sunset"},
        {relativeTime(now + Seconds(900), now), "in 15 minutes"},
        {relativeTime(now - Seconds(120), now), "2 minutes ago"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text.value_or("(none)").toStdString(), c.expected ? c.expected : "(none)");
}

TEST(PopupGeometry, OpensAwayFromThePanelAndStaysOnTheScreen) {
    const QSize size(320, 500);
    struct Case {
        const char* name;
        std::optional<QRect> icon;
        QPoint cursor;
        QRect screen, available;
        QPoint expected;
    };
    const QRect s(0, 0, 1280, 800);
    for (const Case& c : {
             // Panel at the bottom: above the icon, centred on it.
             Case{"bottom", QRect(1000, 776, 24, 24), {}, s, QRect(0, 0, 1280, 776), {851, 272}},
             // ... and one that reserves no space: above the icon all the same, not over it.
             Case{"bottom, unreserved", QRect(1000, 776, 24, 24), {}, s, s, {851, 272}},
             // Panel at the top: below the icon.
             Case{"top", QRect(600, 0, 24, 24), {}, s, QRect(0, 24, 1280, 776), {451, 28}},
             // Icon near the right end of a top panel: pushed back inside the screen.
             Case{"top right", QRect(1260, 0, 20, 24), {}, s, QRect(0, 24, 1280, 776), {956, 28}},
             // Vertical panel on the left: to the right of the icon.
             Case{"left", QRect(0, 300, 32, 32), {}, s, QRect(32, 0, 1248, 800), {36, 65}},
             // No icon geometry: the pointer stands in for it.
             Case{"cursor", std::nullopt, {500, 790}, s, QRect(0, 0, 1280, 776), {340, 272}},
             // A second screen left of the first, with negative coordinates.
             Case{"negative",
                  QRect(-40, 740, 24, 24),
                  {},
                  QRect(-1024, 0, 1024, 768),
                  QRect(-1024, 0, 1024, 740),
                  {-324, 236}},
             // A screen shorter than the popup: pinned to the top of the usable area.
             Case{"tiny", QRect(100, 0, 24, 24), {}, QRect(0, 0, 640, 400), QRect(0, 24, 640, 376), {4, 28}},
         }) {
        const PopupAnchor anchor{c.icon, c.cursor, c.screen, c.available};
        EXPECT_EQ(popupPosition(anchor, size), c.expected) << c.name;
    }
}

TEST(HorizonRibbonModel, StopsFollowTheCurveOnTheAltitudeAxis) {
    HorizonRibbonModel m;
    m.transitionWidthDeg = 0.4; // axis −1…+1, colour change between −0.25° and +0.25°
    m.sampleCount = 9;          // stops every 0.25°
    const auto stops = m.gradientStops();
    ASSERT_EQ(stops.size(), 9u);
    EXPECT_EQ(stops.back().location, 1.0);
    const auto night = core::ColorTemperature::rgbMultipliers(3400);
    const auto day = core::ColorTemperature::rgbMultipliers(6500);
    for (int i : {0, 1, 2, 3})
        EXPECT_EQ(stops[i].color, night) << i;
    EXPECT_NE(stops[4].color, night); // the horizon, mid-way
    EXPECT_NE(stops[4].color, day);
    for (int i : {6, 7, 8})
        EXPECT_EQ(stops[i].color, day) << i;

    for (int count : {0, 1, -3}) {
        m.sampleCount = count;
        EXPECT_TRUE(m.gradientStops().empty()) << count;
    }
}

TEST(SunEvents, CrossingsAndTwilightEstimate) {
    const Instant now = at(march1);
    const auto events = nextSunEvents(51.5, 0, now); // London
    ASSERT_TRUE(events.sunrise && events.sunset);
    const auto altitude = [](Instant t) { return core::SolarEngine::position(51.5, 0, t).altitude; };
    for (const auto t : {*events.sunrise, *events.sunset}) {
        EXPECT_GT(t, now);
        EXPECT_LE(t, now + Seconds(86400));
    }
    // Each is the first minute on the far side of the horizon.
    EXPECT_TRUE(altitude(*events.sunrise - Seconds(60)) <= 0 && altitude(*events.sunrise) > 0);
    EXPECT_TRUE(altitude(*events.sunset - Seconds(60)) >= 0 && altitude(*events.sunset) < 0);

    // About 0.15°/min at London's sunrise in March: 12° take over an hour, under two.
    const auto minutes = twilightMinutesEstimate(51.5, 0, 12, now);
    ASSERT_TRUE(minutes);
    EXPECT_GT(*minutes, 60);
    EXPECT_LT(*minutes, 120);

    // Polar day: no crossing at all within 48 hours.
    const auto polar = nextSunEvents(80, 0, at(june21));
    EXPECT_FALSE(polar.sunrise || polar.sunset);
    EXPECT_FALSE(twilightMinutesEstimate(80, 0, 12, at(june21)));
}

TEST(BrowseStartFolder, TheUsersFolderCreatedElseTheSystemOne) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("tintwell-browse-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "system/applications");
    const fs::path user = root / "home/.local/share/applications";
    EXPECT_EQ(browseStartFolder({user, root / "system/applications"}), user);
    EXPECT_TRUE(fs::is_directory(user));
    std::ofstream(root / "file") << "not a folder";
    EXPECT_EQ(browseStartFolder({root / "file/applications", root / "missing", root / "system/applications"}),
              root / "system/applications");
    fs::remove_all(root);
}
