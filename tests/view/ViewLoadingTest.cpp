#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWindow>

#include "PictureFiles.h"
#include "ViewHarness.h"

namespace {

QString WritePicture(const TestFolder &folder, const QString &name, int width, int height) {
    return folder.WriteFile(name, Encode(PatternImage(width, height), "PNG"));
}

// A wheel turn over `target`, by default the view's client area.
void Wheel(CLumoraView &view, QPoint angleDelta, QWidget *target = nullptr) {
    if (!target) target = view.viewport();
    const QPointF at(5, 5);
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), angleDelta, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

// The three states that LoadPath can enter, with what each shows.
struct StateCase {
    const char *name;
    const char *file;  // written into the folder; "" for none
    bool decodable;
    const char *loaded;   // path loaded, relative to the folder; "" loads the folder itself
    const char *caption;  // after "Lumora 1.00 - "; "<folder>" / "<path>" stand for the paths
    const char *note;     // "" when hidden
    bool deleteEnabled;
};

void PrintTo(const StateCase &c, std::ostream *os) { *os << c.name; }

class ViewStates : public ::testing::TestWithParam<StateCase> {};

TEST_P(ViewStates, CaptionNoteAndDeleteItem) {
    const StateCase &c = GetParam();
    TestFolder folder;
    if (*c.file)
        folder.WriteFile(c.file,
                         c.decodable ? Encode(PatternImage(20, 10), "PNG") : QByteArray("??"));
    ViewHarness harness;
    const QString path = *c.loaded ? folder.At(c.loaded) : folder.path();
    harness.deleteItem().setEnabled(!c.deleteEnabled);
    harness.view().LoadPath(path);

    QString caption = QString::fromUtf8(c.caption);
    caption.replace(QStringLiteral("<path>"), path);
    EXPECT_EQ(harness.caption(), QStringLiteral("Lumora 1.00 - ") + caption);
    const QLabel *note = harness.view().m_hWndNote;
    EXPECT_EQ(note->isVisible(), *c.note != 0);
    if (*c.note) EXPECT_EQ(note->text(), QString::fromUtf8(c.note));
    EXPECT_EQ(harness.deleteItem().isEnabled(), c.deleteEnabled);
    EXPECT_EQ(!harness.view().m_image.IsNull(), std::string(c.name) == "Picture");
    EXPECT_EQ(harness.view().m_strPath, path);
}

INSTANTIATE_TEST_SUITE_P(
    LoadPath, ViewStates,
    ::testing::Values(
        StateCase{"Picture", "p.jpg", true, "p.jpg", "p.jpg", "", true},
        StateCase{"Undecodable", "bad.jpg", false, "bad.jpg", "bad.jpg", "bad.jpg　无效", true},
        StateCase{"MissingPicture", "", false, "gone.jpg", "gone.jpg", "gone.jpg　无效", true},
        StateCase{"Folder", "", false, "", "<path>", "此文件夹下无图片", false},
        StateCase{"UpperCaseExtension", "p.JPG", true, "p.JPG", "<path>", "此文件夹下无图片",
                  false},
        StateCase{"MissingFolder", "", false, "gone", "<path>", "此文件夹下无图片", false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ViewLoad, EmptyPathShowsBareCaptionAndFolderNote) {
    ViewHarness harness;
    harness.view().LoadPath(QString());
    EXPECT_EQ(harness.caption(), QStringLiteral("Lumora 1.00 - "));
    EXPECT_EQ(harness.view().m_hWndNote->text(), QStringLiteral("此文件夹下无图片"));
    EXPECT_FALSE(harness.deleteItem().isEnabled());
}

// Names that look like markup or like the title's modified mark are shown as they are.
TEST(ViewLoad, FileNamesAreShownLiterally) {
    TestFolder folder;
    const QString bad = folder.WriteFile(QStringLiteral("<s>x[*].jpg"), "??");
    ViewHarness harness;
    harness.view().LoadPath(bad);
    EXPECT_EQ(harness.view().window()->windowHandle()->title(),
              QStringLiteral("Lumora 1.00 - <s>x[*].jpg"));
    QLabel *note = harness.view().m_hWndNote;
    QLabel plain(QStringLiteral("<s>x[*].jpg　无效"));
    plain.setTextFormat(Qt::PlainText);
    plain.setFont(note->font());
    plain.resize(note->size());
    auto rendered = [](QWidget &label) {
        QImage image(label.size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        label.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    };
    EXPECT_TRUE(rendered(*note) == rendered(plain));
}

TEST(ViewLoad, ChildControlsSitAtTheirPositionsWithTheirTexts) {
    ViewHarness harness;
    const CLumoraView &view = harness.view();
    EXPECT_EQ(view.m_hWndNote->geometry(), QRect(60, 60, 500, 20));
    EXPECT_EQ(view.m_hWndPrevLink->geometry(), QRect(60, 90, 62, 24));
    EXPECT_EQ(view.m_hWndNextLink->geometry(), QRect(132, 90, 62, 24));
    EXPECT_TRUE(view.m_hWndPrevLink->text().contains(QStringLiteral(">上一张</a>")));
    EXPECT_TRUE(view.m_hWndNextLink->text().contains(QStringLiteral(">下一张</a>")));
}

TEST(ViewLoad, UndecodablePictureKeepsSizeAndBarsOfThePreviousOne) {
    TestFolder folder;
    const QString wide = WritePicture(folder, QStringLiteral("a.jpg"), 1000, 50);
    const QString bad = folder.WriteFile(QStringLiteral("b.jpg"), "not a picture");
    ViewHarness harness;
    harness.view().LoadPath(wide);
    harness.view().LoadPath(bad);
    EXPECT_EQ(harness.view().m_cxPicture, 1000);
    EXPECT_EQ(harness.view().m_cyPicture, 50);
    EXPECT_TRUE(harness.view().horizontalScrollBar()->isVisible());
    harness.view().LoadPath(folder.path());
    EXPECT_EQ(harness.view().m_cxPicture, 0);
    EXPECT_FALSE(harness.view().horizontalScrollBar()->isVisible());
    EXPECT_FALSE(harness.view().verticalScrollBar()->isVisible());
}

// Scroll extents: a bar only where the picture exceeds the client; line = size / 100, at
// least 1; page = the client size.
struct ScrollCase {
    int pictureWidth, pictureHeight, clientWidth, clientHeight;
    bool horizontal, vertical;
    int horizontalLine, verticalLine;
};

class ViewScrollExtent : public ::testing::TestWithParam<ScrollCase> {};

TEST_P(ViewScrollExtent, BarsRangesAndSteps) {
    const ScrollCase &c = GetParam();
    TestFolder folder;
    ViewHarness harness(c.clientWidth, c.clientHeight);
    harness.view().LoadPath(
        WritePicture(folder, QStringLiteral("p.jpg"), c.pictureWidth, c.pictureHeight));
    const QScrollBar *h = harness.view().horizontalScrollBar();
    const QScrollBar *v = harness.view().verticalScrollBar();
    const QSize client = harness.view().viewport()->size();
    EXPECT_EQ(h->isVisible(), c.horizontal);
    EXPECT_EQ(v->isVisible(), c.vertical);
    if (c.horizontal) {
        EXPECT_EQ(h->maximum() + h->pageStep(), c.pictureWidth);  // positions 0 .. width - page
        EXPECT_EQ(h->pageStep(), client.width());
        EXPECT_EQ(h->singleStep(), c.horizontalLine);
    }
    if (c.vertical) {
        EXPECT_EQ(v->maximum() + v->pageStep(), c.pictureHeight);
        EXPECT_EQ(v->pageStep(), client.height());
        EXPECT_EQ(v->singleStep(), c.verticalLine);
    }
}

INSTANTIATE_TEST_SUITE_P(Extents, ViewScrollExtent,
                         ::testing::Values(ScrollCase{1000, 50, 400, 300, true, false, 10, 0},
                                           ScrollCase{100, 60, 400, 40, false, true, 0, 1},
                                           ScrollCase{200, 100, 400, 300, false, false, 0, 0},
                                           ScrollCase{1234, 5678, 400, 300, true, true, 12, 56}));

TEST(ViewScrolling, WideShortPictureIsNotScrolledByTheWheel) {
    TestFolder folder;
    ViewHarness harness(400, 300);
    harness.view().LoadPath(WritePicture(folder, QStringLiteral("p.jpg"), 1000, 50));
    EXPECT_EQ(harness.view().horizontalScrollBar()->maximum(), 600);
    EXPECT_EQ(harness.view().horizontalScrollBar()->pageStep(), 400);
    Wheel(harness.view(), QPoint(0, -240));
    Wheel(harness.view(), QPoint(0, -240), harness.view().horizontalScrollBar());
    EXPECT_EQ(harness.view().horizontalScrollBar()->value(), 0);
    EXPECT_EQ(harness.view().verticalScrollBar()->value(), 0);
}

TEST(ViewScrolling, WheelMovesWheelLinesPerNotchAndCarriesTheRemainder) {
    QApplication::setWheelScrollLines(3);
    TestFolder folder;
    ViewHarness harness(400, 300);
    harness.view().LoadPath(WritePicture(folder, QStringLiteral("p.jpg"), 300, 2000));
    QScrollBar *v = harness.view().verticalScrollBar();
    ASSERT_EQ(v->singleStep(), 20);
    Wheel(harness.view(), QPoint(0, -120));
    EXPECT_EQ(v->value(), 60);
    Wheel(harness.view(), QPoint(0, -60));
    EXPECT_EQ(v->value(), 60);
    Wheel(harness.view(), QPoint(0, -60));
    EXPECT_EQ(v->value(), 120);
    Wheel(harness.view(), QPoint(0, 120));
    EXPECT_EQ(v->value(), 60);
    EXPECT_EQ(harness.view().horizontalScrollBar()->value(), 0);
}

TEST(ViewScrolling, ResizingOrANewPictureReturnsToTheTopLeftCorner) {
    TestFolder folder;
    ViewHarness harness(400, 300);
    const QString big = WritePicture(folder, QStringLiteral("a.jpg"), 900, 800);
    harness.view().LoadPath(big);
    harness.view().horizontalScrollBar()->setValue(120);
    harness.view().verticalScrollBar()->setValue(90);
    harness.view().resize(harness.view().width() + 30, harness.view().height() + 20);
    EXPECT_EQ(harness.view().horizontalScrollBar()->value(), 0);
    EXPECT_EQ(harness.view().verticalScrollBar()->value(), 0);
    harness.view().verticalScrollBar()->setValue(90);
    harness.view().LoadPath(big);
    EXPECT_EQ(harness.view().verticalScrollBar()->value(), 0);
}

// Pixel checks: each kind of picture is drawn pixel for pixel at the scroll offset.
struct DrawCase {
    const char *name;
    std::function<QByteArray()> bytes;
    std::function<QRgb(int x, int y, QRgb background)> expected;
    int depth;
    int tolerance;
};

void PrintTo(const DrawCase &c, std::ostream *os) { *os << c.name; }

constexpr int kDrawWidth = 520, kDrawHeight = 410;
const std::vector<QRgb> kPalette = {qRgb(200, 30, 30), qRgb(20, 160, 40), qRgb(30, 40, 210),
                                    qRgb(240, 230, 10)};

QImage AlphaPattern() {
    QImage image(kDrawWidth, kDrawHeight, QImage::Format_ARGB32);
    for (int y = 0; y < kDrawHeight; ++y)
        for (int x = 0; x < kDrawWidth; ++x)
            image.setPixel(x, y, qRgba(x % 256, y % 256, 90, (x + y) % 256));
    return image;
}

QImage GreyBlocks() {  // uniform 8 x 8 blocks, which JPEG keeps almost exactly
    QImage image(kDrawWidth, kDrawHeight, QImage::Format_Grayscale8);
    for (int y = 0; y < kDrawHeight; ++y) {
        uchar *line = image.scanLine(y);
        for (int x = 0; x < kDrawWidth; ++x) line[x] = uchar(((x / 8) * 37 + (y / 8) * 11) % 256);
    }
    return image;
}

int Blend(int source, int alpha, int background) {
    return (source * alpha + background * (255 - alpha) + 127) / 255;
}

class ViewDrawing : public ::testing::TestWithParam<DrawCase> {};

TEST_P(ViewDrawing, PixelForPixelAtTheScrollOffset) {
    const DrawCase &c = GetParam();
    TestFolder folder;
    ViewHarness harness(400, 300);
    harness.view().LoadPath(folder.WriteFile(QStringLiteral("p.jpg"), c.bytes()));
    ASSERT_FALSE(harness.view().m_image.IsNull());
    EXPECT_EQ(harness.view().m_image.GetBPP(), c.depth);
    const int h = 37, v = 23;
    harness.view().horizontalScrollBar()->setValue(h);
    harness.view().verticalScrollBar()->setValue(v);
    const QImage shown = harness.Grab();
    const QRgb background = harness.view().viewport()->palette().color(QPalette::Base).rgb();
    int wrong = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb want = c.expected(x + h, y + v, background);
            const QRgb got = shown.pixel(x, y);
            if (std::abs(qRed(got) - qRed(want)) > c.tolerance ||
                std::abs(qGreen(got) - qGreen(want)) > c.tolerance ||
                std::abs(qBlue(got) - qBlue(want)) > c.tolerance)
                ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ViewDrawing,
    ::testing::Values(
        DrawCase{"OpaquePng", [] { return Encode(PatternImage(kDrawWidth, kDrawHeight), "PNG"); },
                 [](int x, int y, QRgb) { return PatternPixel(x, y); }, 32, 0},
        DrawCase{"AlphaPng", [] { return Encode(AlphaPattern(), "PNG"); },
                 [](int x, int y, QRgb bg) {
                     const int alpha = (x + y) % 256;
                     return qRgb(Blend(x % 256, alpha, qRed(bg)), Blend(y % 256, alpha, qGreen(bg)),
                                 Blend(90, alpha, qBlue(bg)));
                 },
                 32, 1},
        DrawCase{"PaletteGif", [] { return PaletteGif(kDrawWidth, kDrawHeight, kPalette); },
                 [](int x, int y, QRgb) { return kPalette[(x + y) % 4]; }, 8, 0},
        DrawCase{"GreyJpeg", [] { return Encode(GreyBlocks(), "JPG", 100); },
                 [](int x, int y, QRgb) {
                     const int grey = ((x / 8) * 37 + (y / 8) * 11) % 256;
                     return qRgb(grey, grey, grey);
                 },
                 8, 2}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ViewDrawing, SmallPictureSitsInTheTopLeftCornerWithoutBars) {
    TestFolder folder;
    ViewHarness harness(400, 300);
    harness.view().LoadPath(WritePicture(folder, QStringLiteral("p.jpg"), 50, 40));
    const QImage shown = harness.Grab();
    const QRgb background = harness.view().viewport()->palette().color(QPalette::Base).rgb();
    EXPECT_EQ(shown.pixel(0, 0), PatternPixel(0, 0));
    EXPECT_EQ(shown.pixel(49, 39), PatternPixel(49, 39));
    EXPECT_EQ(shown.pixel(50, 10), background);
    EXPECT_EQ(shown.pixel(10, 40), background);
    EXPECT_FALSE(harness.view().horizontalScrollBar()->isVisible());
    EXPECT_FALSE(harness.view().verticalScrollBar()->isVisible());
}

}  // namespace
