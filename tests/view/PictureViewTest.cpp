#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>

#include "PictureFiles.h"
#include "ViewHarness.h"
#include "platform/DirectoryListing.h"
#include "resources/ViewResources.h"
#include "view/ViewTip.h"

namespace {

constexpr QPoint kLeftHalf(50, 50);  // of a 200 x 100 picture, in the view's outer rectangle
constexpr QPoint kRightHalf(150, 50);

QByteArray Picture() { return Encode(PatternImage(200, 100), "PNG"); }

QString WritePicture(const TestFolder &folder, const QString &name, int width, int height) {
    return folder.WriteFile(name, Encode(PatternImage(width, height), "PNG"));
}

// A wheel turn over `target`, by default the view's client area.
void Wheel(PictureView &view, QPoint angleDelta, QWidget *target = nullptr) {
    if (!target) target = view.viewport();
    const QPointF at(5, 5);
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), angleDelta, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

// a.jpg, b.jpg and c.jpg in one folder.
struct ThreePictures {
    TestFolder folder;
    std::vector<QString> order;
    ThreePictures() {
        for (const char *name : {"a.jpg", "b.jpg", "c.jpg"})
            order.push_back(folder.WriteFile(name, Picture()));
    }
};

// The note and the links per state of the browser.
TEST(PictureViewNote, FollowsTheBrowsersState) {
    ThreePictures three;
    ViewHarness harness;
    PictureView &view = harness.view();
    harness.browser().Show(three.order[0]);
    EXPECT_FALSE(view.note().isVisible());
    EXPECT_FALSE(view.previousLink().isVisible() || view.nextLink().isVisible());

    QFile::resize(three.order[0], 3);
    harness.browser().Show(three.order[0]);
    EXPECT_EQ(view.note().text(), QStringLiteral("a.jpg　无效"));
    EXPECT_TRUE(view.note().isVisible());
    EXPECT_FALSE(view.previousLink().isVisible()) << "only existing neighbours get a link";
    EXPECT_TRUE(view.nextLink().isVisible());
    QTest::mouseClick(&view.nextLink(), Qt::LeftButton, Qt::NoModifier, QPoint(12, 12));
    EXPECT_EQ(harness.browser().path(), three.order[1]);
    EXPECT_FALSE(view.nextLink().isVisible());

    harness.browser().Show(three.folder.path());
    EXPECT_EQ(view.note().text(), QStringLiteral("此文件夹下无图片"));
    EXPECT_FALSE(view.horizontalScrollBar()->isVisible());
}

// Names that look like markup are shown as they are.
TEST(PictureViewNote, FileNamesAreShownLiterally) {
    TestFolder folder;
    ViewHarness harness;
    harness.browser().Show(folder.WriteFile(QStringLiteral("<s>x.jpg"), "??"));
    QLabel &note = harness.view().note();
    QLabel plain(QStringLiteral("<s>x.jpg　无效"));
    plain.setTextFormat(Qt::PlainText);
    plain.setFont(note.font());
    plain.resize(note.size());
    auto rendered = [](QWidget &label) {
        QImage image(label.size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        label.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    };
    EXPECT_TRUE(rendered(note) == rendered(plain));
}

TEST(PictureViewNote, AnUndecodablePictureKeepsTheBarsOfThePreviousOne) {
    TestFolder folder;
    ViewHarness harness;
    harness.browser().Show(WritePicture(folder, QStringLiteral("a.jpg"), 1000, 50));
    harness.browser().Show(folder.WriteFile(QStringLiteral("b.jpg"), "not a picture"));
    EXPECT_TRUE(harness.view().horizontalScrollBar()->isVisible());
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
    harness.browser().Show(
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
    harness.browser().Show(WritePicture(folder, QStringLiteral("p.jpg"), 1000, 50));
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
    harness.browser().Show(WritePicture(folder, QStringLiteral("p.jpg"), 300, 2000));
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
    harness.browser().Show(big);
    harness.view().horizontalScrollBar()->setValue(120);
    harness.view().verticalScrollBar()->setValue(90);
    harness.view().resize(harness.view().width() + 30, harness.view().height() + 20);
    EXPECT_EQ(harness.view().horizontalScrollBar()->value(), 0);
    EXPECT_EQ(harness.view().verticalScrollBar()->value(), 0);
    harness.view().verticalScrollBar()->setValue(90);
    harness.browser().Show(big);
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
    harness.browser().Show(folder.WriteFile(QStringLiteral("p.jpg"), c.bytes()));
    ASSERT_FALSE(harness.browser().picture().isNull());
    EXPECT_EQ(harness.browser().picture().depth(), c.depth);
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
    harness.browser().Show(WritePicture(folder, QStringLiteral("p.jpg"), 50, 40));
    const QImage shown = harness.Grab();
    const QRgb background = harness.view().viewport()->palette().color(QPalette::Base).rgb();
    EXPECT_EQ(shown.pixel(0, 0), PatternPixel(0, 0));
    EXPECT_EQ(shown.pixel(49, 39), PatternPixel(49, 39));
    EXPECT_EQ(shown.pixel(50, 10), background);
    EXPECT_EQ(shown.pixel(10, 40), background);
    EXPECT_FALSE(harness.view().horizontalScrollBar()->isVisible());
    EXPECT_FALSE(harness.view().verticalScrollBar()->isVisible());
}

bool ShowsCursor(const PictureView &view, StepCursor id) {
    const QCursor cursor = view.viewport()->cursor();
    return cursor.shape() == Qt::BitmapCursor && cursor.hotSpot() == ViewCursorHotSpot(id) &&
           cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32) == ViewCursorImage(id);
}

TEST(PictureViewZones, NoZoneWithoutAShownPicture) {
    TestFolder folder;
    ViewHarness harness;
    harness.browser().Show(folder.WriteFile(QStringLiteral("p.jpg"), Picture()));
    const QPoint left = harness.view().mapToGlobal(kLeftHalf);
    EXPECT_EQ(harness.view().ZoneAt(left), ClickZone::Left);
    harness.browser().Show(folder.WriteFile(QStringLiteral("bad.jpg"), "x"));  // size kept
    EXPECT_EQ(harness.view().ZoneAt(left), ClickZone::None);
    harness.browser().Show(folder.path());
    EXPECT_EQ(harness.view().ZoneAt(left), ClickZone::None);
}

// Cursor and tip per half and neighbour situation.
struct PointerCase {
    const char *name;
    int shown;  // index into the listing of a, b, c; -1: a folder holding only one picture
    QPoint at;
    StepCursor cursor;
    const char *tip;
};

void PrintTo(const PointerCase &c, std::ostream *os) { *os << c.name; }

class ViewPointer : public ::testing::TestWithParam<PointerCase> {};

TEST_P(ViewPointer, CursorAndTipTellTheStep) {
    const PointerCase &c = GetParam();
    ThreePictures three;
    TestFolder single;
    ViewHarness harness;
    harness.browser().Show(c.shown < 0 ? single.WriteFile(QStringLiteral("only.jpg"), Picture())
                                       : three.order[c.shown]);
    harness.MoveTo(c.at);
    EXPECT_TRUE(ShowsCursor(harness.view(), c.cursor));
    EXPECT_EQ(harness.view().tip().Text(), QString::fromUtf8(c.tip));
    EXPECT_TRUE(harness.view().tip().IsActive());
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ViewPointer,
    ::testing::Values(
        PointerCase{"FirstLeft", 0, kLeftHalf, StepCursor::PreviousGroup, "　 　点击进入上一组"},
        PointerCase{"FirstRight", 0, kRightHalf, StepCursor::NextPicture, "　 点击查看下一张"},
        PointerCase{"MiddleLeft", 1, kLeftHalf, StepCursor::PreviousPicture, "　 　点击查看上一张"},
        PointerCase{"LastRight", 2, kRightHalf, StepCursor::NextGroup, "点击进入下一组"},
        PointerCase{"OnlyLeft", -1, kLeftHalf, StepCursor::PreviousGroup, "　 　点击进入上一组"},
        PointerCase{"OnlyRight", -1, kRightHalf, StepCursor::NextGroup, "点击进入下一组"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ViewPointer, OutsideThePictureTheArrowAndNoTip) {
    ThreePictures three;
    ViewHarness harness;
    harness.browser().Show(three.order[1]);
    harness.MoveTo(kRightHalf);
    harness.MoveTo({150, 150});  // below the picture
    EXPECT_EQ(harness.view().viewport()->cursor().shape(), Qt::ArrowCursor);
    EXPECT_FALSE(harness.view().tip().IsActive());
    harness.MoveTo({250, 50});  // right of it
    EXPECT_EQ(harness.view().viewport()->cursor().shape(), Qt::ArrowCursor);
}

TEST(ViewTips, ShownAfterTheDelayAndHiddenOutsideThePicture) {
    ThreePictures three;
    ViewHarness harness;
    harness.view().tip().SetDelays(0, 60000);
    harness.browser().Show(three.order[1]);
    harness.MoveTo(kRightHalf);
    QTRY_VERIFY(harness.view().tip().IsShown());
    EXPECT_EQ(QToolTip::text(), QStringLiteral("　 点击查看下一张"));
    harness.MoveTo({150, 150});
    EXPECT_FALSE(harness.view().tip().IsShown());
}

TEST(ViewTips, SwitchedOffTheCursorStillChangesButNoTipAppears) {
    ThreePictures three;
    ViewHarness harness;
    harness.view().tip().SetDelays(0, 60000);
    harness.view().SetTipsShown(false);
    harness.browser().Show(three.order[1]);
    harness.MoveTo(kRightHalf);
    harness.MoveTo(kRightHalf + QPoint(5, 5));
    QTest::qWait(20);
    EXPECT_TRUE(ShowsCursor(harness.view(), StepCursor::NextPicture));
    EXPECT_FALSE(harness.view().tip().IsActive());
    EXPECT_FALSE(harness.view().tip().IsShown());
}

TEST(ViewClicks, HalvesStepToTheNeighbouringPictures) {
    ThreePictures three;
    ViewHarness harness;
    harness.browser().Show(three.order[1]);
    harness.ClickAt(kLeftHalf);
    EXPECT_EQ(harness.browser().path(), three.order[0]);
    harness.ClickAt(kRightHalf);
    harness.ClickAt(kRightHalf);
    EXPECT_EQ(harness.browser().path(), three.order[2]);
    EXPECT_FALSE(harness.browser().picture().isNull());
}

TEST(ViewClicks, OutsideThePictureNothingHappens) {
    ThreePictures three;
    ViewHarness harness;
    harness.browser().Show(three.order[1]);
    harness.ClickAt({150, 150});
    harness.ClickAt({260, 50});
    EXPECT_EQ(harness.browser().path(), three.order[1]);
    EXPECT_TRUE(harness.prompter().shown().empty());
}

// A download root with a date folder of the titles t0, t1 …, two pictures each, in a tree.
struct Downloads {
    TestFolder folder;
    QString root = folder.MakeFolder(QStringLiteral("pictures"));
    explicit Downloads(int titleCount) {
        for (int i = 0; i < titleCount; ++i)
            for (int p = 1; p <= 2; ++p) folder.WriteFile(Path(i, p), Picture());
    }
    QString Title(int i) const {
        return folder.At(QStringLiteral("pictures/2024-05-01/t%1").arg(i));
    }
    QString Path(int i, int p) const {
        return QStringLiteral("pictures/2024-05-01/t%1/t%1 %2.jpg").arg(i).arg(p);
    }
    QString First(int i) const { return folder.At(Path(i, 1)); }
    QString Last(int i) const { return folder.At(Path(i, 2)); }
};

// Records which picture each paint of the view drew.
class PaintLog : public QObject {
public:
    PaintLog(PictureView &view, PictureBrowser &browser) : browser_(browser) {
        view.viewport()->installEventFilter(this);
    }
    std::vector<QString> painted;

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint && !browser_.picture().isNull())
            painted.push_back(browser_.path());
        return false;
    }

private:
    PictureBrowser &browser_;
};

// At a folder's end a click shows the sibling folder's picture decoded ahead, tells that it
// entered that folder, and paints nothing else on the way.
TEST(PictureViewGroups, AGroupStepPaintsOnlyTheChosenPicture) {
    for (const bool right : {true, false}) {
        Downloads downloads(3);
        ViewHarness harness;
        harness.browser().SetRoot(downloads.root);
        const int from = right ? 0 : 1, to = right ? 1 : 0;
        harness.browser().Show(right ? downloads.Last(from) : downloads.First(from));
        harness.browser().preloader().WaitIdle();
        PaintLog paints(harness.view(), harness.browser());

        harness.ClickAt(right ? kRightHalf : kLeftHalf);

        const QString shown = right ? downloads.First(to) : downloads.Last(to);
        EXPECT_EQ(harness.browser().path(), shown);
        EXPECT_EQ(harness.entered(), std::vector<QString>{downloads.Title(to)});
        EXPECT_EQ(paints.painted, std::vector<QString>{shown});
        EXPECT_TRUE(harness.prompter().shown().empty());
    }
}

TEST(PictureViewGroups, StepsThatGoNowhereSayWhyAndChangeNothing) {
    Downloads downloads(2);
    const QString inRoot = downloads.folder.WriteFile("pictures/p.jpg", Picture());
    const struct {
        QString shown;
        QPoint at;
        const char *message;
    } cases[] = {
        {downloads.Last(1), kRightHalf, "已经是最后一组，请单击目录树中的文件夹查看其他组"},
        {downloads.First(0), kLeftHalf, "已经是第一组，请单击目录树中的文件夹查看其他组"},
        {inRoot, kRightHalf, "当前已是根目录"},
    };
    for (const auto &c : cases) {
        ViewHarness harness;
        harness.browser().SetRoot(downloads.root);
        harness.browser().Show(c.shown);
        harness.ClickAt(c.at);
        ASSERT_EQ(harness.prompter().shown().size(), 1u);
        const auto message = harness.prompter().shown().front();
        EXPECT_EQ(message.text, QString::fromUtf8(c.message));
        EXPECT_TRUE(message.caption.isEmpty());
        EXPECT_EQ(message.buttons, Buttons::Ok);
        EXPECT_EQ(message.owner, &harness.view());
        EXPECT_EQ(harness.browser().path(), c.shown);
    }
}

// The popup menu, answered by a scripted runner that records what it was offered.
struct PopupScript {
    int shown = 0;
    QStringList offered;
    QString title;
    QString choose;  // text of the item to choose; empty closes the menu
    PictureView::PopupMenuRunner Runner() {
        return [this](QMenu &menu, const QPoint &) -> QAction * {
            ++shown;
            title = menu.title();
            QAction *chosen = nullptr;
            for (QAction *action : menu.actions()) {
                offered << action->text();
                if (action->text() == choose) chosen = action;
            }
            return chosen;
        };
    }
};

// A right click on `target` (by default the view's client area) at `at`. A menu of Qt's own
// that opens instead is closed again and counted in `foreignMenus`.
void RightClick(PictureView &view, QWidget *target = nullptr, QPoint at = {40, 40},
                int *foreignMenus = nullptr) {
    if (!target) target = view.viewport();
    QTimer closer;
    closer.setSingleShot(true);
    QObject::connect(&closer, &QTimer::timeout, [foreignMenus] {
        if (QWidget *popup = QApplication::activePopupWidget()) {
            if (foreignMenus) ++*foreignMenus;
            popup->close();
        }
    });
    closer.start(0);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
    QApplication::sendEvent(target, &event);
    QCoreApplication::processEvents();
}

TEST(PictureViewPopup, OfferedForAPicturePathAlsoOverTheBarsAndTheLinks) {
    ThreePictures three;
    const QString wide = WritePicture(three.folder, QStringLiteral("wide.jpg"), 1000, 50);
    ViewHarness harness;
    PopupScript script;
    harness.view().SetPopupMenuRunner(script.Runner());
    harness.browser().Show(three.folder.path());
    RightClick(harness.view());
    EXPECT_EQ(script.shown, 0);
    harness.browser().Show(wide);
    int foreignMenus = 0;
    RightClick(harness.view(), harness.view().horizontalScrollBar(), {100, 5}, &foreignMenus);
    EXPECT_EQ(script.shown, 1);
    EXPECT_EQ(script.title, QStringLiteral("菜单"));
    EXPECT_EQ(script.offered, QStringList({QStringLiteral("刷新"), QStringLiteral("删除")}));
    QFile::resize(three.order[1], 3);
    harness.browser().Show(three.order[1]);
    RightClick(harness.view(), &harness.view().nextLink(), {12, 12}, &foreignMenus);
    EXPECT_EQ(script.shown, 2);
    EXPECT_EQ(foreignMenus, 0);
}

TEST(PictureViewPopup, RefreshListsTheFolderAgainAndDeleteIsAskedFor) {
    ThreePictures three;
    ViewHarness harness;
    PopupScript script;
    harness.view().SetPopupMenuRunner(script.Runner());
    harness.browser().Show(three.order[2]);
    QFile::remove(three.order[1]);  // removed by another program
    script.choose = QStringLiteral("刷新");
    RightClick(harness.view());
    EXPECT_EQ(harness.browser().previous(), three.order[0]);
    script.choose = QStringLiteral("删除");
    RightClick(harness.view());
    EXPECT_EQ(harness.deletionsRequested(), 1);
    EXPECT_TRUE(harness.prompter().shown().empty()) << "the view asks nothing itself";
}

}  // namespace

namespace {

// The keys with the view focused, from the picture shown to the one they show, across folders
// too, the folder entered told; a step that goes nowhere says why.
TEST(PictureViewKeys, StepAsTheHalvesDoAndReachTheFoldersEnds) {
    Downloads downloads(2);
    const struct {
        QString from;
        Qt::Key key;
        QString to;
        int title;  // the folder entered, or -1
        const char *message;
    } cases[] = {
        {downloads.First(0), Qt::Key_Right, downloads.Last(0), -1, ""},
        {downloads.Last(0), Qt::Key_Space, downloads.First(1), 1, ""},
        {downloads.First(1), Qt::Key_Left, downloads.Last(0), 0, ""},
        {downloads.Last(0), Qt::Key_Backspace, downloads.First(0), -1, ""},
        {downloads.First(0), Qt::Key_End, downloads.Last(0), -1, ""},
        {downloads.Last(0), Qt::Key_Home, downloads.First(0), -1, ""},
        {downloads.Last(1), Qt::Key_Right, downloads.Last(1), -1,
         "已经是最后一组，请单击目录树中的文件夹查看其他组"},
        {downloads.First(0), Qt::Key_Backspace, downloads.First(0), -1,
         "已经是第一组，请单击目录树中的文件夹查看其他组"},
    };
    for (const auto &c : cases) {
        ViewHarness harness;
        harness.browser().SetRoot(downloads.root);
        harness.browser().Show(c.from);
        harness.ClickAt(QPoint(300, 250));  // below the picture: focus, no step
        ASSERT_TRUE(harness.view().hasFocus());
        QTest::keyClick(&harness.view(), c.key);
        EXPECT_EQ(harness.browser().path(), c.to) << c.key;
        EXPECT_EQ(harness.entered(), c.title < 0 ? std::vector<QString>()
                                                 : std::vector<QString>{downloads.Title(c.title)})
            << c.key;
        const auto shown = harness.prompter().shown();
        EXPECT_EQ(shown.empty() ? QString() : shown.front().text, QString::fromUtf8(c.message));
    }
}

TEST(PictureViewKeys, DeleteAsksForTheDeleteCommand) {
    ThreePictures three;
    ViewHarness harness;
    harness.browser().Show(three.order[1]);
    QTest::keyClick(&harness.view(), Qt::Key_Delete);
    EXPECT_EQ(harness.deletionsRequested(), 1);
    EXPECT_TRUE(QFile::exists(three.order[1]));
}

TEST(PictureViewKeys, UpDownAndPagesScrollAndTheZoomKeysZoom) {
    TestFolder folder;
    ViewHarness harness;
    harness.browser().Show(WritePicture(folder, "big.jpg", 1000, 2000));
    QScrollBar *down = harness.view().verticalScrollBar();
    QTest::keyClick(&harness.view(), Qt::Key_Down);
    EXPECT_EQ(down->value(), 20);
    QTest::keyClick(&harness.view(), Qt::Key_PageDown);
    EXPECT_EQ(down->value(), 20 + down->pageStep());
    QTest::keyClick(&harness.view(), Qt::Key_Minus);
    EXPECT_EQ(harness.view().Geometry().Shown(), QSize(667, 1333));  // two thirds
    QTest::keyClick(&harness.view(), Qt::Key_Plus, Qt::ShiftModifier);
    QTest::keyClick(&harness.view(), Qt::Key_Equal);
    EXPECT_EQ(harness.view().Geometry().Shown(), QSize(1500, 3000));
    QTest::keyClick(&harness.view(), Qt::Key_1);
    EXPECT_EQ(harness.view().Geometry().Shown(), QSize(1000, 2000));
}

// A press on a picture larger than the view and a move past the drag distance pan it; a click
// without a move steps at the release.
TEST(PictureViewPan, ADragPansWithoutAStepAndAClickStillSteps) {
    TestFolder folder;
    const QString big = WritePicture(folder, "a.jpg", 1000, 800);
    const QString next = WritePicture(folder, "b.jpg", 1000, 800);
    ViewHarness harness;
    harness.browser().Show(big);
    QWidget *pane = harness.view().viewport();
    QTest::mousePress(pane, Qt::LeftButton, Qt::NoModifier, QPoint(300, 200));
    QMouseEvent move(QEvent::MouseMove, QPointF(240, 160), pane->mapToGlobal(QPointF(240, 160)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pane, &move);
    QTest::mouseRelease(pane, Qt::LeftButton, Qt::NoModifier, QPoint(240, 160));
    EXPECT_EQ(harness.view().horizontalScrollBar()->value(), 60);
    EXPECT_EQ(harness.view().verticalScrollBar()->value(), 40);
    EXPECT_EQ(harness.browser().path(), big);

    QTest::mousePress(pane, Qt::LeftButton, Qt::NoModifier, QPoint(300, 200));
    EXPECT_EQ(harness.browser().path(), big);
    QTest::mouseRelease(pane, Qt::LeftButton, Qt::NoModifier, QPoint(300, 200));
    EXPECT_EQ(harness.browser().path(), next);
}

// Fitted, a large picture shows whole, smoothly scaled, and its halves step; a small one keeps
// its natural size.
TEST(PictureViewFit, ShowsLargePicturesWholeAndSmallOnesAsTheyAre) {
    TestFolder folder;
    QImage large(2400, 1800, QImage::Format_RGB32);
    large.fill(qRgb(200, 40, 40));
    const QString first = folder.WriteFile("a.jpg", Encode(large, "PNG"));
    const QString small = WritePicture(folder, "b.jpg", 300, 200);
    ViewHarness harness;
    harness.browser().zoom().ToggleFit();
    harness.browser().Show(first);
    EXPECT_EQ(harness.view().Geometry().Shown(), QSize(400, 300));
    EXPECT_EQ(harness.view().horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(harness.Grab().pixel(399, 299), qRgb(200, 40, 40));
    harness.ClickAt(QPoint(350, 150));
    EXPECT_EQ(harness.browser().path(), small);
    EXPECT_EQ(harness.view().Geometry().Shown(), QSize(300, 200));
    EXPECT_EQ(harness.Grab().pixel(7, 5), PatternPixel(7, 5));
}

TEST(PictureViewAccessibility, NamesThePictureAndItsPlaceOrTheNote) {
    ThreePictures three;
    ViewHarness harness;
    harness.browser().Show(three.order[1]);
    EXPECT_EQ(harness.view().accessibleName(), "b.jpg 第2张，共3张");
    harness.browser().Show(three.folder.path());
    EXPECT_EQ(harness.view().accessibleName(), "此文件夹下无图片");
}

}  // namespace

namespace {

// Cold, a JPEG larger than the view shows its visible part at once and its whole right after,
// decoded off the window's thread; a scroll meanwhile shows nothing wrong. Damage below the
// visible part ends as the whole decode judges it, as without the part.
TEST(PictureViewFirstPixels, TheVisiblePartFirstThenTheWhole) {
    TestFolder folder;
    const QByteArray jpeg = Encode(PatternImage(1600, 1200), "JPG", 90);
    const struct {
        const char *name;
        QByteArray bytes;
    } cases[] = {{"Whole", jpeg}, {"CutBelowTheVisiblePart", jpeg.left(jpeg.size() * 2 / 3)}};
    for (const auto &c : cases) {
        const QString path = folder.WriteFile(QString::fromUtf8(c.name) + ".jpg", c.bytes);
        const ViewPicture whole = DecodeViewPicture(path);
        ViewHarness harness;
        QSignalSpy filledIn(&harness.browser(), &PictureBrowser::filledIn);
        harness.browser().Show(path);
        ASSERT_FALSE(harness.browser().picturePart().isNull()) << c.name;
        EXPECT_EQ(harness.browser().pictureSize(), QSize(1600, 1200));
        const QImage first = harness.Grab();
        EXPECT_EQ(first, whole.image.copy(first.rect())) << c.name;
        harness.view().horizontalScrollBar()->setValue(1200);  // beyond what is decoded
        const QImage beyond = harness.Grab();
        ASSERT_TRUE(filledIn.wait(5000)) << c.name;
        EXPECT_TRUE(harness.browser().picturePart().isNull());
        EXPECT_EQ(harness.browser().state(), whole.isNull() ? PictureBrowser::State::Undecodable
                                                            : PictureBrowser::State::Picture);
        EXPECT_EQ(harness.browser().picture(), whole.image) << c.name;
        // Before, no pixel of the picture stood where it did not belong; now they all do.
        EXPECT_EQ(beyond.pixel(200, 150), beyond.pixel(10, 10)) << c.name;
        const QImage far = harness.Grab();
        EXPECT_EQ(far, whole.image.copy(far.rect().translated(1200, 0))) << c.name;
    }
}

}  // namespace
