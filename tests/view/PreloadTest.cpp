#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <QLabel>
#include <functional>

#include "PictureFiles.h"
#include "support/TestFolders.h"
#include "view/PictureBrowser.h"

namespace {

QByteArray Solid(int width, QRgb colour) {
    QImage image(width, 100, QImage::Format_RGB32);
    image.fill(colour);
    return Encode(image, "BMP");
}

struct StaleCase {
    const char *name;
    std::function<void(const TestFolder &, const QString &next)> change;
    int width;  // of the picture shown after the step; 0: none
    QRgb colour;
};

void PrintTo(const StaleCase &c, std::ostream *os) { *os << c.name; }

class PreloadTest : public ::testing::TestWithParam<StaleCase> {};

// The next picture is decoded ahead while the first is shown; whatever happens to its file
// meanwhile, the step shows the file as it is now.
TEST_P(PreloadTest, StepShowsTheFileAsItIsNow) {
    TestFolder folder;
    const QString first = folder.WriteFile("a.jpg", Solid(200, qRgb(200, 0, 0)));
    const QString next = folder.WriteFile("b.jpg", Solid(200, qRgb(200, 0, 0)));
    PictureBrowser browser;
    browser.Show(first);
    browser.preloader().WaitIdle();
    ASSERT_TRUE(browser.preloader().Take(next).has_value());

    GetParam().change(folder, next);
    browser.ShowNext();
    const QImage &shown = browser.picture();
    if (GetParam().width == 0) {
        EXPECT_TRUE(shown.isNull());
        EXPECT_EQ(browser.state(), PictureBrowser::State::Undecodable);
        return;
    }
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.width(), GetParam().width);
    EXPECT_EQ(shown.pixel(0, 0), GetParam().colour);
}

void Overwrite(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, PreloadTest,
    ::testing::Values(
        StaleCase{"Unchanged", [](const TestFolder &, const QString &) {}, 200, qRgb(200, 0, 0)},
        StaleCase{"Rewritten",
                  [](const TestFolder &, const QString &next) {
                      Overwrite(next, Solid(300, qRgb(0, 200, 0)));
                  },
                  300, qRgb(0, 200, 0)},
        StaleCase{"RewrittenKeepingSizeAndTime",
                  [](const TestFolder &, const QString &next) {
                      struct stat before {};
                      ::stat(QFile::encodeName(next), &before);
                      Overwrite(next, Solid(200, qRgb(0, 0, 200)));
                      const timespec times[2] = {before.st_atim, before.st_mtim};
                      ::utimensat(AT_FDCWD, QFile::encodeName(next), times, 0);
                  },
                  200, qRgb(0, 0, 200)},
        StaleCase{"ReplacedByAnotherFile",
                  [](const TestFolder &folder, const QString &next) {
                      const QString other = folder.WriteFile("other", Solid(250, qRgb(9, 9, 9)));
                      QFile::remove(next);
                      QFile::rename(other, next);
                  },
                  250, qRgb(9, 9, 9)},
        StaleCase{"Deleted", [](const TestFolder &, const QString &next) { QFile::remove(next); },
                  0, 0}),
    [](const auto &info) { return std::string(info.param.name); });

}  // namespace
