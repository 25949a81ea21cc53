#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>
#include <QToolTip>
#include <QTreeWidget>

#include "PictureFiles.h"
#include "ViewHarness.h"
#include "platform/DirectoryListing.h"
#include "resources/ViewResources.h"
#include "view/ViewTip.h"

namespace {

constexpr QPoint kLeftHalf(50, 50);  // of a 200 x 100 picture, in the view's outer rectangle
constexpr QPoint kRightHalf(150, 50);

QByteArray Picture() { return Encode(PatternImage(200, 100), "PNG"); }

// a.jpg, b.jpg and c.jpg in one folder, in the order the file system lists them.
struct ThreePictures {
    TestFolder folder;
    std::vector<QString> order;
    ThreePictures() {
        for (const char *name : {"a.jpg", "b.jpg", "c.jpg"}) folder.WriteFile(name, Picture());
        for (const QString &name : ListedNames(folder.path(), true))
            order.push_back(JoinPath(folder.path(), name));
    }
};

bool ShowsCursor(const CLumoraView &view, int id) {
    const QCursor cursor = view.viewport()->cursor();
    return cursor.shape() == Qt::BitmapCursor && cursor.hotSpot() == ViewCursorHotSpot(id) &&
           cursor.pixmap().toImage().convertToFormat(QImage::Format_ARGB32) == ViewCursorImage(id);
}

struct ZoneCase {
    int pictureWidth, pictureHeight;
    QPoint at;  // in the view's outer rectangle
    ClickZone zone;
};

class ViewHitZone : public ::testing::TestWithParam<ZoneCase> {};

TEST_P(ViewHitZone, HalvesOfThePictureOrOfTheWindow) {
    const ZoneCase &c = GetParam();
    TestFolder folder;
    ViewHarness harness(400, 300);
    harness.view().LoadPath(folder.WriteFile(
        QStringLiteral("p.jpg"), Encode(PatternImage(c.pictureWidth, c.pictureHeight), "PNG")));
    const QPoint outer = c.at.x() < 0 ? QPoint(harness.view().width() + c.at.x(), c.at.y()) : c.at;
    EXPECT_EQ(harness.view().HitZone(harness.view().mapToGlobal(outer)), c.zone);
}

INSTANTIATE_TEST_SUITE_P(
    Zones, ViewHitZone,
    ::testing::Values(ZoneCase{200, 100, {50, 50}, ClickZone::Left},
                      ZoneCase{200, 100, {100, 50}, ClickZone::Left},
                      ZoneCase{200, 100, {101, 50}, ClickZone::Right},
                      ZoneCase{200, 100, {199, 99}, ClickZone::Right},
                      ZoneCase{200, 100, {200, 50}, ClickZone::None},   // right of it
                      ZoneCase{200, 100, {150, 100}, ClickZone::None},  // below it
                      // Wider than the window: the window's halves; x < 0 counts from its right.
                      ZoneCase{1000, 50, {300, 20}, ClickZone::Right},
                      ZoneCase{1000, 50, {-2, 20}, ClickZone::Right},
                      ZoneCase{1000, 50, {150, 20}, ClickZone::Left}));

TEST(ViewHitZoneStates, NoZoneWithoutAShownPicture) {
    TestFolder folder;
    ViewHarness harness;
    const QString path = folder.WriteFile(QStringLiteral("p.jpg"), Picture());
    harness.view().LoadPath(path);
    harness.view().LoadPath(folder.WriteFile(QStringLiteral("bad.jpg"), "x"));  // size kept
    EXPECT_EQ(harness.view().HitZone(harness.view().mapToGlobal(kLeftHalf)), ClickZone::None);
    harness.view().LoadPath(folder.path());
    EXPECT_EQ(harness.view().HitZone(harness.view().mapToGlobal(kLeftHalf)), ClickZone::None);
}

// Cursor and tip per half and neighbour situation.
struct PointerCase {
    const char *name;
    int shown;  // index into the listing of a, b, c; -1: a folder holding only one picture
    QPoint at;
    int cursor;
    const char *tip;
};

void PrintTo(const PointerCase &c, std::ostream *os) { *os << c.name; }

class ViewPointer : public ::testing::TestWithParam<PointerCase> {};

TEST_P(ViewPointer, CursorAndTipTellTheStep) {
    const PointerCase &c = GetParam();
    ThreePictures three;
    TestFolder single;
    ViewHarness harness;
    harness.view().LoadPath(c.shown < 0 ? single.WriteFile(QStringLiteral("only.jpg"), Picture())
                                        : three.order[c.shown]);
    harness.MoveTo(c.at);
    EXPECT_TRUE(ShowsCursor(harness.view(), c.cursor));
    EXPECT_EQ(harness.view().m_hWndTip->Text(), QString::fromUtf8(c.tip));
    EXPECT_TRUE(harness.view().m_hWndTip->IsActive());
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ViewPointer,
    ::testing::Values(
        PointerCase{"FirstLeft", 0, kLeftHalf, IDC_CUR_PREV_GROUP, "　 　点击进入上一组"},
        PointerCase{"FirstRight", 0, kRightHalf, IDC_CUR_NEXT_PICTURE, "　 点击查看下一张"},
        PointerCase{"MiddleLeft", 1, kLeftHalf, IDC_CUR_PREV_PICTURE, "　 　点击查看上一张"},
        PointerCase{"LastRight", 2, kRightHalf, IDC_CUR_NEXT_GROUP, "点击进入下一组"},
        PointerCase{"OnlyLeft", -1, kLeftHalf, IDC_CUR_PREV_GROUP, "　 　点击进入上一组"},
        PointerCase{"OnlyRight", -1, kRightHalf, IDC_CUR_NEXT_GROUP, "点击进入下一组"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ViewPointer, OutsideThePictureTheArrowAndNoTip) {
    ThreePictures three;
    ViewHarness harness;
    harness.view().LoadPath(three.order[1]);
    harness.MoveTo(kRightHalf);
    harness.MoveTo({150, 150});  // below the picture
    EXPECT_EQ(harness.view().viewport()->cursor().shape(), Qt::ArrowCursor);
    EXPECT_FALSE(harness.view().m_hWndTip->IsActive());
    harness.MoveTo({250, 50});  // right of it
    EXPECT_EQ(harness.view().viewport()->cursor().shape(), Qt::ArrowCursor);
}

TEST(ViewTips, ShownAfterTheDelayAndHiddenOutsideThePicture) {
    ThreePictures three;
    ViewHarness harness;
    harness.view().m_hWndTip->SetDelays(0, 60000);
    harness.view().LoadPath(three.order[1]);
    harness.MoveTo(kRightHalf);
    QTRY_VERIFY(harness.view().m_hWndTip->IsShown());
    EXPECT_EQ(QToolTip::text(), QStringLiteral("　 点击查看下一张"));
    harness.MoveTo({150, 150});
    EXPECT_FALSE(harness.view().m_hWndTip->IsShown());
}

TEST(ViewTips, SwitchedOffTheCursorStillChangesButNoTipAppears) {
    ThreePictures three;
    ViewHarness harness;
    harness.view().m_hWndTip->SetDelays(0, 60000);
    harness.view().m_bShowTip = false;
    harness.view().SetTipsActive(false);
    harness.view().LoadPath(three.order[1]);
    harness.MoveTo(kRightHalf);
    harness.MoveTo(kRightHalf + QPoint(5, 5));
    QTest::qWait(20);
    EXPECT_TRUE(ShowsCursor(harness.view(), IDC_CUR_NEXT_PICTURE));
    EXPECT_FALSE(harness.view().m_hWndTip->IsActive());
    EXPECT_FALSE(harness.view().m_hWndTip->IsShown());
}

TEST(ViewClicks, HalvesStepToTheNeighbouringPictures) {
    ThreePictures three;
    ViewHarness harness;
    harness.view().LoadPath(three.order[1]);
    harness.ClickAt(kLeftHalf);
    EXPECT_EQ(harness.view().m_strPath, three.order[0]);
    harness.ClickAt(kRightHalf);
    harness.ClickAt(kRightHalf);
    EXPECT_EQ(harness.view().m_strPath, three.order[2]);
    EXPECT_FALSE(harness.view().m_image.IsNull());
}

TEST(ViewClicks, OutsideThePictureNothingHappens) {
    ThreePictures three;
    ViewHarness harness;
    harness.view().LoadPath(three.order[1]);
    harness.ClickAt({150, 150});
    harness.ClickAt({260, 50});
    EXPECT_EQ(harness.view().m_strPath, three.order[1]);
    EXPECT_TRUE(harness.prompter().shown().empty());
}

// X.JPG is listed by "*.jpg" but is no picture path: as the previous neighbour it shows as a
// folder. Upper- and lower-case names alternate, so that whatever order the file system lists
// them in, some X.JPG comes just before a picture, and the test shows that picture.
TEST(ViewClicks, UpperCaseNeighbourShownAsAFolder) {
    TestFolder folder;
    for (const char *name : {"c.jpg", "B.JPG", "a.jpg"}) folder.WriteFile(name, Picture());
    ViewHarness harness;
    harness.view().LoadPath(folder.At("c.jpg"));
    harness.ClickAt(kLeftHalf);
    EXPECT_EQ(harness.caption(), QStringLiteral("Lumora 1.00 - ") + folder.At("B.JPG"));
    EXPECT_EQ(harness.view().m_hWndNote->text(), QStringLiteral("此文件夹下无图片"));
}

// A download root with a date folder of title folders, shown in a tree filled the same way.
struct Downloads {
    TestFolder folder;
    QString root, date;
    std::vector<QString> titles;  // listing order
    explicit Downloads(int titleCount) {
        root = folder.MakeFolder(QStringLiteral("pictures"));
        date = folder.MakeFolder(QStringLiteral("pictures/2024-05-01"));
        for (int i = 0; i < titleCount; ++i)
            for (int p = 1; p <= 2; ++p)
                folder.WriteFile(QStringLiteral("pictures/2024-05-01/t%1/t%1 %2.jpg").arg(i).arg(p),
                                 Picture());
        for (const QString &name : ListedNames(date, false)) titles.push_back(JoinPath(date, name));
    }
    QString First(size_t i) const {
        return JoinPath(titles[i], ListedNames(titles[i], true).front());
    }
    QString Last(size_t i) const {
        return JoinPath(titles[i], ListedNames(titles[i], true).back());
    }
};

// Records which picture each paint of the view drew.
class PaintLog : public QObject {
public:
    explicit PaintLog(CLumoraView &view) : view_(view) {
        view.viewport()->installEventFilter(this);
    }
    std::vector<QString> painted;

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint && !view_.m_image.IsNull())
            painted.push_back(view_.m_strPath);
        return false;
    }

private:
    CLumoraView &view_;
};

struct GroupStepCase {
    const char *name;
    QPoint at;
    size_t fromTitle;
    size_t toTitle;  // the right half goes to its first picture, the left half to its last
};

void PrintTo(const GroupStepCase &c, std::ostream *os) { *os << c.name; }

class ViewGroupStep : public ::testing::TestWithParam<GroupStepCase> {};

// At a folder's end a click shows the sibling folder's picture decoded ahead, selects that
// folder, and paints nothing else on the way: the tree's own load of the folder is skipped.
TEST_P(ViewGroupStep, ShowsOnlyTheChosenPictureDecodedAhead) {
    const GroupStepCase &c = GetParam();
    const bool right = c.at == kRightHalf;
    Downloads downloads(3);
    ViewHarness harness;
    harness.FillTree(downloads.root);
    harness.tree().setCurrentItem(harness.Node(downloads.titles[c.fromTitle]));
    const QString from = right ? downloads.Last(c.fromTitle) : downloads.First(c.fromTitle);
    const QString to = right ? downloads.First(c.toTitle) : downloads.Last(c.toTitle);
    harness.view().LoadPath(from);
    harness.view().preloader().WaitIdle();
    EXPECT_TRUE(harness.view().preloader().Take(to).has_value()) << "not decoded ahead";
    const size_t treeLoads = harness.treeLoads().size();
    PaintLog paints(harness.view());

    harness.ClickAt(c.at);

    EXPECT_EQ(harness.view().m_strPath, to);
    EXPECT_EQ(harness.tree().currentItem(), harness.Node(downloads.titles[c.toTitle]));
    EXPECT_EQ(harness.treeLoads().size(), treeLoads);
    EXPECT_EQ(paints.painted, std::vector<QString>{to});
    EXPECT_TRUE(harness.prompter().shown().empty());
}

INSTANTIATE_TEST_SUITE_P(Halves, ViewGroupStep,
                         ::testing::Values(GroupStepCase{"RightToNextTitle", kRightHalf, 0, 1},
                                           GroupStepCase{"LeftToPreviousTitle", kLeftHalf, 1, 0}),
                         [](const auto &info) { return std::string(info.param.name); });

struct EndCase {
    const char *name;
    bool last;  // the last title's last picture, else the first title's first
    QPoint at;
    const char *message;
};

void PrintTo(const EndCase &c, std::ostream *os) { *os << c.name; }

class ViewGroupEnds : public ::testing::TestWithParam<EndCase> {};

TEST_P(ViewGroupEnds, MessageAndNothingChanges) {
    const EndCase &c = GetParam();
    Downloads downloads(2);
    ViewHarness harness;
    harness.FillTree(downloads.root);
    const size_t title = c.last ? 1 : 0;
    harness.tree().setCurrentItem(harness.Node(downloads.titles[title]));
    const QString shown = c.last ? downloads.Last(1) : downloads.First(0);
    harness.view().LoadPath(shown);
    harness.ClickAt(c.at);
    ASSERT_EQ(harness.prompter().shown().size(), 1u);
    const auto message = harness.prompter().shown().front();
    EXPECT_EQ(message.text, QString::fromUtf8(c.message));
    EXPECT_TRUE(message.caption.isEmpty());
    EXPECT_EQ(message.buttons, Buttons::Ok);
    EXPECT_EQ(message.owner, &harness.view());
    EXPECT_EQ(harness.view().m_strPath, shown);
    EXPECT_EQ(harness.tree().currentItem(), harness.Node(downloads.titles[title]));
}

INSTANTIATE_TEST_SUITE_P(
    Ends, ViewGroupEnds,
    ::testing::Values(
        EndCase{"LastGroup", true, kRightHalf, "已经是最后一组，请单击目录树中的文件夹查看其他组"},
        EndCase{"FirstGroup", false, kLeftHalf, "已经是第一组，请单击目录树中的文件夹查看其他组"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ViewGroups, PictureInTheDownloadRootStepsNowhere) {
    for (const QString &suffix : {QString(), QStringLiteral("/")}) {
        TestFolder folder;
        const QString root = folder.MakeFolder(QStringLiteral("pictures"));
        folder.MakeFolder(QStringLiteral("pictures/2024-05-01"));
        const QString picture = folder.WriteFile(QStringLiteral("pictures/p.jpg"), Picture());
        ViewHarness harness;
        harness.FillTree(root);
        harness.view().m_strRoot = root + suffix;
        harness.view().LoadPath(picture);
        harness.ClickAt(kLeftHalf);
        harness.ClickAt(kRightHalf);
        EXPECT_EQ(harness.prompter().messageTexts(),
                  std::vector<QString>(
                      {QStringLiteral("当前已是根目录"), QStringLiteral("当前已是根目录")}))
            << suffix.toStdString();
        EXPECT_EQ(harness.view().m_strPath, picture);
    }
}

TEST(ViewLinks, UndecodablePictureOffersLinksToItsNeighbours) {
    ThreePictures three;
    QFile::resize(three.order[1], 3);  // the middle one no longer decodes
    ViewHarness harness;
    harness.view().LoadPath(three.order[1]);
    QLabel *previous = harness.view().m_hWndPrevLink;
    QLabel *next = harness.view().m_hWndNextLink;
    ASSERT_TRUE(previous->isVisible());
    ASSERT_TRUE(next->isVisible());
    EXPECT_EQ(harness.view().m_hWndNote->text(),
              FileNameOf(three.order[1]) + QStringLiteral("　无效"));
    QTest::mouseClick(next, Qt::LeftButton, Qt::NoModifier, QPoint(12, 12));
    EXPECT_EQ(harness.view().m_strPath, three.order[2]);
    EXPECT_FALSE(next->isVisible());

    harness.view().LoadPath(three.order[1]);
    QFile::remove(three.order[0]);  // a neighbour that vanished is still offered
    QTest::mouseClick(previous, Qt::LeftButton, Qt::NoModifier, QPoint(12, 12));
    EXPECT_EQ(harness.view().m_strPath, three.order[0]);
    EXPECT_EQ(harness.view().m_hWndNote->text(),
              FileNameOf(three.order[0]) + QStringLiteral("　无效"));
}

TEST(ViewLinks, OnlyExistingNeighboursGetALink) {
    ThreePictures three;
    QFile::resize(three.order[0], 3);
    ViewHarness harness;
    harness.view().LoadPath(three.order[0]);
    EXPECT_FALSE(harness.view().m_hWndPrevLink->isVisible());
    EXPECT_TRUE(harness.view().m_hWndNextLink->isVisible());
}

}  // namespace
