#include <gtest/gtest.h>

#include <set>

#include "resources/ViewResources.h"

namespace {

// The four cursors: 32 x 32, yellow on transparent, each its own picture, each with its hot spot.
TEST(ViewCursors, FourDistinctYellowPicturesWithTheirHotSpots) {
    const std::pair<StepCursor, QPoint> hotSpots[] = {{StepCursor::NextPicture, {0, 0}},
                                                      {StepCursor::PreviousGroup, {0, 0}},
                                                      {StepCursor::PreviousPicture, {0, 0}},
                                                      {StepCursor::NextGroup, {9, 12}}};
    std::set<QByteArray> pictures;
    for (const auto &[id, hotSpot] : hotSpots) {
        const QImage image = ViewCursorImage(id);
        EXPECT_EQ(image.size(), QSize(32, 32)) << int(id);
        std::set<QRgb> colours;  // transparent counts as one colour
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                colours.insert(qAlpha(image.pixel(x, y)) == 0 ? 0 : image.pixel(x, y));
        EXPECT_EQ(colours, (std::set<QRgb>{0, kViewCursorColour})) << int(id);
        EXPECT_EQ(ViewCursor(id).hotSpot(), hotSpot) << int(id);
        pictures.insert(QByteArray(reinterpret_cast<const char *>(image.constBits()),
                                   static_cast<int>(image.sizeInBytes())));
    }
    EXPECT_EQ(pictures.size(), 4u);
}

}  // namespace
