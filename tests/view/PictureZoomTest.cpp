#include <gtest/gtest.h>

#include <QSignalSpy>

#include "view/PictureZoom.h"

namespace {

enum class Act { In, Out, Fit, Actual };

// From natural size, each act and the scale a 2400 x 1800 picture then has in an 800 x 600
// pane (a third fits it) and a 300 x 200 picture (smaller than the pane).
struct ZoomCase {
    const char *name;
    std::vector<Act> acts;
    qreal large, small;
    PictureZoom::Mode mode;
};

void PrintTo(const ZoomCase &c, std::ostream *os) { *os << c.name; }

class PictureZoomTest : public ::testing::TestWithParam<ZoomCase> {};

TEST_P(PictureZoomTest, ScaleFollowsTheSteps) {
    const ZoomCase &c = GetParam();
    const QSize large(2400, 1800), small(300, 200);
    const QSizeF pane(800, 600);
    PictureZoom zoom;
    QSignalSpy changed(&zoom, &PictureZoom::changed);
    for (const Act act : c.acts) {
        if (act == Act::In) zoom.ZoomIn(large, pane);
        if (act == Act::Out) zoom.ZoomOut(large, pane);
        if (act == Act::Fit) zoom.ToggleFit();
        if (act == Act::Actual) zoom.ShowActualSize();
    }
    EXPECT_NEAR(zoom.ScaleFor(large, pane), c.large, 1e-9);
    EXPECT_NEAR(zoom.ScaleFor(small, pane), c.small, 1e-9);
    EXPECT_EQ(zoom.mode(), c.mode);
    EXPECT_LE(changed.count(), int(c.acts.size()));
}

using M = PictureZoom::Mode;

INSTANTIATE_TEST_SUITE_P(
    Steps, PictureZoomTest,
    ::testing::Values(
        ZoomCase{"Natural", {}, 1, 1, M::Natural}, ZoomCase{"Fit", {Act::Fit}, 1.0 / 3, 1, M::Fit},
        ZoomCase{"FitTwiceIsNatural", {Act::Fit, Act::Fit}, 1, 1, M::Natural},
        ZoomCase{"InFromNatural", {Act::In}, 1.5, 1.5, M::Zoomed},
        ZoomCase{"OutFromNatural", {Act::Out}, 2.0 / 3, 2.0 / 3, M::Zoomed},
        ZoomCase{"InAndOutIsNaturalAgain", {Act::In, Act::Out}, 1, 1, M::Natural},
        ZoomCase{"InFromFitTakesTheNextStep", {Act::Fit, Act::In}, 0.5, 0.5, M::Zoomed},
        ZoomCase{"OutFromFit", {Act::Fit, Act::Out}, 0.25, 0.25, M::Zoomed},
        ZoomCase{"ActualSizeAfterZoom", {Act::In, Act::In, Act::Actual}, 1, 1, M::Natural},
        ZoomCase{"SmallestStepHolds", std::vector<Act>(20, Act::Out), 1.0 / 16, 1.0 / 16,
                 M::Zoomed}),
    [](const auto &info) { return std::string(info.param.name); });

}  // namespace
