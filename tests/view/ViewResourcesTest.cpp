#include <gtest/gtest.h>

#include "resources/ViewResources.h"

namespace {

// Yellow pixels of one row of a cursor picture, as runs of (first column, length).
std::vector<std::pair<int, int>> YellowRuns(const QImage &image, int row) {
    std::vector<std::pair<int, int>> runs;
    for (int x = 0; x < image.width(); ++x) {
        if (image.pixel(x, row) != kViewCursorColour) continue;
        if (!runs.empty() && runs.back().first + runs.back().second == x)
            ++runs.back().second;
        else
            runs.push_back({x, 1});
    }
    return runs;
}

// Column counts of yellow pixels grow towards the base and shrink towards the tip.
bool PointsRight(const QImage &image, int from, int to) {
    auto column = [&](int x) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y) count += image.pixel(x, y) == kViewCursorColour;
        return count;
    };
    int first = from, last = to;
    while (first < to && column(first) == 0) ++first;
    while (last > first && column(last) == 0) --last;
    return column(first) > column(last);
}

struct CursorCase {
    int id;
    int triangles;
    bool right;
    QPoint hotSpot;
};

class ViewCursors : public ::testing::TestWithParam<CursorCase> {};

TEST_P(ViewCursors, YellowTrianglesOnTransparent) {
    const CursorCase &c = GetParam();
    const QImage image = ViewCursorImage(c.id);
    ASSERT_EQ(image.size(), QSize(32, 32));
    EXPECT_TRUE(image.hasAlphaChannel());
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const QRgb pixel = image.pixel(x, y);
            ASSERT_TRUE(pixel == kViewCursorColour || qAlpha(pixel) == 0) << x << "," << y;
        }
    const auto runs = YellowRuns(image, 16);
    ASSERT_EQ(static_cast<int>(runs.size()), c.triangles);
    for (const auto &run : runs)
        EXPECT_EQ(PointsRight(image, run.first, run.first + run.second - 1), c.right);
    EXPECT_EQ(ViewCursorHotSpot(c.id), c.hotSpot);
    EXPECT_EQ(ViewCursor(c.id).hotSpot(), c.hotSpot);
}

INSTANTIATE_TEST_SUITE_P(Resources, ViewCursors,
                         ::testing::Values(CursorCase{201, 1, true, {0, 0}},
                                           CursorCase{202, 2, false, {0, 0}},
                                           CursorCase{203, 1, false, {0, 0}},
                                           CursorCase{204, 2, true, {9, 12}}));

}  // namespace
