// The view on two screens side by side: the left one at device pixel ratio 1, the right one at 2,
// as a laptop's own screen scaled to 200 % beside an ordinary monitor gives them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QScreen>
#include <QScrollBar>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "PictureFiles.h"
#include "ViewHarness.h"

namespace {

std::string ScreensFile() {
    return std::filesystem::temp_directory_path() /
           ("lumora-screens-" + std::to_string(getpid()) + ".json");
}

// The offscreen platform's screens, set before main and so before the application reads them.
const bool kTwoScreens = [] {
    std::ofstream(ScreensFile()) << R"({"screens": [
        {"name": "ordinary", "x": 0, "y": 0, "width": 1000, "height": 800, "dpr": 1},
        {"name": "scaled", "x": 1000, "y": 0, "width": 2000, "height": 1600, "dpr": 2}]})";
    std::atexit([] { std::filesystem::remove(ScreensFile()); });
    return qputenv("QT_QPA_PLATFORM",
                   "offscreen:configfile=" + QByteArray::fromStdString(ScreensFile()));
}();

// The viewport's device pixels against the picture's own pixels from `from` on.
void ExpectPixelForPixel(const QImage &shown, const QImage &picture, QPoint from, QSize size) {
    int differing = 0;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            differing += shown.pixel(x, y) != picture.pixel(from.x() + x, from.y() + y);
    EXPECT_EQ(differing, 0) << "of " << size.width() * size.height() << " pixels";
}

TEST(ScaledScreen, PicturePixelsLandOnDevicePixelsOnEitherScreen) {
    ASSERT_TRUE(kTwoScreens);
    ASSERT_EQ(QGuiApplication::screens().size(), 2);
    TestFolder folder;
    ViewHarness harness(400, 300);
    harness.MoveWindowTo(QPoint(1100, 50));
    ASSERT_EQ(harness.view().devicePixelRatioF(), 2.0);
    const QImage small = PatternImage(300, 200);
    harness.browser().Show(folder.WriteFile("small.jpg", Encode(small, "PNG")));
    QImage shown = harness.Grab();
    ASSERT_EQ(shown.size(), QSize(800, 600));
    ExpectPixelForPixel(shown, small, QPoint(0, 0), small.size());
    EXPECT_EQ(shown.pixel(300, 10), shown.pixel(790, 590)) << "nothing drawn right of it";
    EXPECT_FALSE(harness.view().horizontalScrollBar()->isVisible());

    // Larger than the view: the bars count device pixels, and a scrolled picture stays sharp.
    const QImage large = PatternImage(1000, 700);
    harness.browser().Show(folder.WriteFile("large.jpg", Encode(large, "PNG")));
    QScrollBar *across = harness.view().horizontalScrollBar();
    ASSERT_TRUE(across->isVisible());
    EXPECT_EQ(across->maximum() + across->pageStep(), 1000);
    across->setValue(7);
    harness.view().verticalScrollBar()->setValue(3);
    shown = harness.Grab();
    const QSize visible(across->pageStep(), harness.view().verticalScrollBar()->pageStep());
    ExpectPixelForPixel(shown, large, QPoint(7, 3), visible);

    // Onto the ordinary screen: laid out again for its ratio, the decoded picture kept.
    harness.MoveWindowTo(QPoint(50, 50));
    ASSERT_EQ(harness.view().devicePixelRatioF(), 1.0);
    EXPECT_EQ(across->pageStep(), harness.view().viewport()->width());
    EXPECT_EQ(across->maximum() + across->pageStep(), 1000);
    shown = harness.Grab();
    ExpectPixelForPixel(shown, large, QPoint(0, 0), shown.size());
}

}  // namespace
