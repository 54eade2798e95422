#include "ui/model/canvas_layout.h"
#include "ui/model/map_projection.h"
#include "ui/model/world_outline.h"

#include <gtest/gtest.h>

namespace tintwell::ui {
namespace {

struct PickCase {
    const char* what;
    QPointF pointer;
    double lat;
    double lon;
};

TEST(MapProjection, PickWritesClampedCoordinatesRoundedToFourPlaces) {
    const QSizeF map(300, 150);
    const PickCase cases[] = {
        {"centre", {150, 75}, 0, 0},
        {"beyond the right edge", {420, 75}, 0, 180},
        {"above the top edge", {150, -30}, 90, 0},
        {"below and left of the map", {-5, 400}, -90, -180},
        {"x = 1", {1, 75}, 0, -178.8},
        {"a third of a degree", {100.1, 50.05}, 29.94, -59.88},
        {"rounding never leaves more than four places", {0.3333, 0}, 90, -179.6},
        {"a ten-thousandth of a degree is kept", {150.0001, 74.9999}, 0.0001, 0.0001},
    };
    for (const PickCase& c : cases) {
        const GeoPoint p = MapProjection::pick(c.pointer, map);
        EXPECT_DOUBLE_EQ(p.lat, c.lat) << c.what;
        EXPECT_DOUBLE_EQ(p.lon, c.lon) << c.what;
    }
}

TEST(MapProjection, ProjectsSydneyAndInvertsBack) {
    const QSizeF map(300, 150);
    const QPointF pin = MapProjection::project({-33.8688, 151.2093}, map);
    EXPECT_NEAR(pin.x() / map.width(), 0.92, 0.001);
    EXPECT_NEAR(pin.y() / map.height(), 0.688, 0.001);
    const GeoPoint back = MapProjection::inverse(pin, map);
    EXPECT_TRUE(std::abs(back.lat + 33.8688) < 1e-9 && std::abs(back.lon - 151.2093) < 1e-9);
}

TEST(WorldOutline, UnwrapKeepsMeridianCrossingsContinuousAndClosesPolarRings) {
    // Crosses twice (like Chukotka joined to Asia): longitudes continue past -180 and come back.
    const GeoRing twice = {{69, -180}, {66, -170}, {65, -180}, {65, 180}, {60, 170}, {69, 178}, {69, -180}};
    const GeoRing flat = unwrapAcrossAntimeridian(twice);
    ASSERT_EQ(flat.size(), twice.size());
    EXPECT_EQ(flat[4].lon, -190);
    EXPECT_EQ(flat.back(), twice.back());

    // Crosses once (like Antarctica): goes round the south pole and is closed along it.
    const GeoRing polar = {{-84.5, -180}, {-70, -60}, {-66, 60}, {-84.5, 178.5}, {-84.5, -180}};
    const GeoRing closed = unwrapAcrossAntimeridian(polar);
    ASSERT_EQ(closed.size(), polar.size() + 3);
    EXPECT_EQ(closed[4], (GeoPoint{-84.5, 180}));
    EXPECT_EQ(closed[5], (GeoPoint{-90, 180}));
    EXPECT_EQ(closed[6], (GeoPoint{-90, -180}));
    EXPECT_EQ(closed.back(), polar.front());
}

settings::DisplayInfo display(core::DisplayId id, double x, double y, double w, double h) {
    return {id, "D" + std::to_string(id), {x, y, w, h}, id == 1};
}

TEST(CanvasLayout, StackedDisplaysOfMixedSizeAbsorbNegativeCoordinates) {
    // A 2560 × 1440 display above a 1280 × 800 main display.
    const auto layout = CanvasLayout::compute(
        {display(1, 0, 0, 1280, 800), display(2, -640, -1440, 2560, 1440)}, {300, 92}, 10);
    EXPECT_DOUBLE_EQ(layout.scale, 72.0 / 2240);
    const QRectF main = layout.tileRect({0, 0, 1280, 800});
    const QRectF top = layout.tileRect({-640, -1440, 2560, 1440});
    EXPECT_NEAR(main.top() - top.bottom(), 3, 1e-9);
    EXPECT_NEAR(top.left(), (280 - 2560 * layout.scale) / 2 + 11.5, 1e-9);
    EXPECT_NEAR(top.top(), 11.5, 1e-9);
}

TEST(CanvasLayout, OneDisplayFillsTheFreeAreaAndNoneFallsBackToTheInset) {
    const auto one = CanvasLayout::compute({display(1, 0, 0, 1000, 1000)}, {300, 92}, 10);
    EXPECT_DOUBLE_EQ(one.scale, 0.072);
    EXPECT_NEAR(one.drawOrigin.x(), 10 + (280 - 72) / 2.0, 1e-9);
    EXPECT_NEAR(one.drawOrigin.y(), 10, 1e-9);

    const CanvasLayout none = CanvasLayout::compute({}, {300, 92}, 10);
    EXPECT_EQ(none, (CanvasLayout{1, {0, 0}, {10, 10}}));
    const CanvasLayout flat = CanvasLayout::compute({display(1, 0, 0, 1920, 0)}, {300, 92}, 10);
    EXPECT_EQ(flat.scale, 1);
    EXPECT_EQ(flat.tileRect({0, 0, 1920, 0}).height(), 1);
}

} // namespace
} // namespace tintwell::ui
