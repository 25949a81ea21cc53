#include <gtest/gtest.h>

#include "view/PictureGeometry.h"

namespace {

using Bar = PictureGeometry::Bar;

struct GeometryCase {
    const char *name;
    qreal ratio, scale;
    QSizeF centredIn;  // empty: anchored top-left
    QSize pixels, viewport;
    QSizeF onScreen;
    Bar across, down;  // shown, maximum, page, step; the page and bars count device pixels
    std::vector<std::pair<QPoint, ClickZone>> zones;  // in the outer rectangle, 404 wide
    QPoint scroll;
    QPointF drawnAt;
};

void PrintTo(const GeometryCase &c, std::ostream *os) { *os << c.name; }

class PictureGeometryTest : public ::testing::TestWithParam<GeometryCase> {};

TEST_P(PictureGeometryTest, PlacesThePictureAsShown) {
    const GeometryCase &c = GetParam();
    const PictureGeometry geometry(c.pixels, c.ratio, c.scale, c.centredIn);
    EXPECT_NEAR(geometry.OnScreen().width(), c.onScreen.width(), 0.01);
    EXPECT_NEAR(geometry.OnScreen().height(), c.onScreen.height(), 0.01);
    for (const auto &[bar, expected] :
         {std::pair{geometry.Horizontal(c.viewport.width()), c.across},
          std::pair{geometry.Vertical(c.viewport.height()), c.down}}) {
        EXPECT_EQ(bar.shown, expected.shown);
        EXPECT_EQ(bar.maximum, expected.maximum);
        EXPECT_EQ(bar.page, expected.page);
        EXPECT_EQ(bar.step, expected.step);
    }
    for (const auto &[at, zone] : c.zones)
        EXPECT_EQ(geometry.ZoneAt(at, 404), zone) << at.x() << "," << at.y();
    const QRectF target = geometry.Target(c.scroll);
    EXPECT_NEAR(target.x(), c.drawnAt.x(), 0.01);
    EXPECT_NEAR(target.y(), c.drawnAt.y(), 0.01);
    EXPECT_NEAR(target.width(), c.onScreen.width(), 0.01);
}

constexpr auto L = ClickZone::Left, R = ClickZone::Right, N = ClickZone::None;

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Ratios, PictureGeometryTest,
    ::testing::Values(
        GeometryCase{"SmallAtOne", 1, 1, {}, {200, 100}, {400, 300}, {200, 100},
                     {false, 0, 400, 2}, {false, 0, 300, 1},
                     {{{100, 50}, L}, {{101, 50}, R}, {{199, 99}, R}, {{200, 50}, N},
                      {{150, 100}, N}},
                     {0, 0}, {0, 0}},
        GeometryCase{"WideAtOne", 1, 1, {}, {1000, 50}, {400, 300}, {1000, 50},
                     {true, 600, 400, 10}, {false, 0, 300, 1},
                     {{{300, 20}, R}, {{402, 20}, R}, {{404, 20}, N}, {{150, 20}, L}},
                     {30, 0}, {-30, 0}},
        GeometryCase{"FillsTheViewAtTwo", 2, 1, {}, {800, 600}, {400, 300}, {400, 300},
                     {false, 0, 800, 8}, {false, 0, 600, 6},
                     {{{200, 10}, L}, {{201, 10}, R}, {{300, 150}, R}, {{400, 10}, N},
                      {{10, 300}, N}, {{399, 299}, R}},
                     {0, 0}, {0, 0}},
        GeometryCase{"LargerAtOneAndAHalf", 1.5, 1, {}, {800, 600}, {400, 301}, {533.33, 400},
                     {true, 200, 600, 8}, {true, 149, 451, 6},
                     {{{202, 10}, L}, {{203, 10}, R}, {{403, 10}, R}, {{404, 10}, N},
                      {{10, 399}, L}, {{10, 400}, N}},
                     {7, 3}, {-4.667, -2}},
        GeometryCase{"SmallAtOneAndAHalf", 1.5, 1, {}, {100, 60}, {400, 300}, {66.67, 40},
                     {false, 0, 600, 1}, {false, 0, 450, 1},
                     {{{33, 5}, L}, {{34, 5}, R}, {{66, 5}, R}, {{67, 5}, N}, {{10, 40}, N}},
                     {0, 0}, {0, 0}},
        // Fitted: 2400 x 1800 at a sixth fills 400 x 300 whole, with no bars.
        GeometryCase{"FittedAtOne", 1, 1.0 / 6, {}, {2400, 1800}, {400, 300}, {400, 300},
                     {false, 0, 400, 4}, {false, 0, 300, 3},
                     {{{200, 10}, L}, {{201, 10}, R}, {{399, 299}, R}, {{10, 300}, N}},
                     {0, 0}, {0, 0}},
        // Zoomed in twice: the halves and the bars are those of the larger picture.
        GeometryCase{"ZoomedInTwice", 1, 2, {}, {300, 100}, {400, 300}, {600, 200},
                     {true, 200, 400, 6}, {false, 0, 300, 2},
                     {{{150, 10}, L}, {{202, 10}, L}, {{203, 10}, R}, {{10, 199}, L},
                      {{10, 200}, N}},
                     {50, 0}, {-50, 0}},
        // Full screen: centred on whole device pixels; nothing left or above the picture.
        GeometryCase{"CentredAtOne", 1, 1, {400, 300}, {200, 100}, {400, 300}, {200, 100},
                     {false, 0, 400, 2}, {false, 0, 300, 1},
                     {{{99, 150}, N}, {{100, 150}, L}, {{200, 150}, L}, {{201, 150}, R},
                      {{299, 150}, R}, {{300, 150}, N}, {{150, 99}, N}, {{150, 200}, N}},
                     {0, 0}, {100, 100}},
        GeometryCase{"CentredAtOneAndAHalf", 1.5, 1, {401, 301}, {301, 100}, {401, 301},
                     {200.67, 66.67}, {false, 0, 601, 3}, {false, 0, 451, 1},
                     {{{100, 150}, L}, {{300, 150}, R}, {{302, 150}, N}},
                     {0, 0}, {100, 116.67}}),
    [](const auto &info) { return std::string(info.param.name); });
// clang-format on

TEST(PictureGeometryTest, NoPictureHasNoZone) {
    EXPECT_EQ(PictureGeometry(QSize(0, 0), 2).ZoneAt(QPoint(0, 0), 404), ClickZone::None);
}

}  // namespace
