#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QSignalSpy>

#include "PictureFiles.h"
#include "platform/DirectoryListing.h"
#include "platform/FileNames.h"
#include "support/TestFolders.h"
#include "view/PictureBrowser.h"

namespace {

using State = PictureBrowser::State;
using Step = PictureBrowser::Step;

QByteArray Picture(int width = 200, int height = 100) {
    return Encode(PatternImage(width, height), "PNG");
}

// What showing a path enters: the state, the caption and the picture size.
struct StateCase {
    const char *name;
    const char *file;  // written into the folder; "" for none
    bool decodable;
    const char *shown;    // relative to the folder; "" shows the folder itself
    const char *caption;  // after "Lumora 1.00 - "; "<path>" stands for the path shown
    State state;
    QSize size;
};

void PrintTo(const StateCase &c, std::ostream *os) { *os << c.name; }

class BrowserStates : public ::testing::TestWithParam<StateCase> {};

TEST_P(BrowserStates, StateCaptionAndSize) {
    const StateCase &c = GetParam();
    TestFolder folder;
    if (*c.file) folder.WriteFile(c.file, c.decodable ? Picture(20, 10) : QByteArray("??"));
    PictureBrowser browser;
    const QString path = *c.shown ? folder.At(c.shown) : folder.path();
    QSignalSpy cleared(&browser, &PictureBrowser::cleared);
    QSignalSpy shown(&browser, &PictureBrowser::shown);
    browser.Show(path);
    EXPECT_EQ(cleared.count(), 1);
    EXPECT_EQ(shown.count(), 1);
    EXPECT_EQ(browser.path(), path);
    EXPECT_EQ(browser.state(), c.state);
    EXPECT_EQ(browser.Caption(), QStringLiteral("Lumora 1.00 - ") +
                                     QString::fromUtf8(c.caption).replace("<path>", path));
    EXPECT_EQ(browser.pictureSize(), c.size);
    EXPECT_EQ(browser.picture().isNull(), c.state != State::Picture);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, BrowserStates,
    ::testing::Values(
        StateCase{"Picture", "p.jpg", true, "p.jpg", "p.jpg", State::Picture, {20, 10}},
        StateCase{
            "Undecodable", "bad.jpg", false, "bad.jpg", "bad.jpg", State::Undecodable, {0, 0}},
        StateCase{"MissingPicture", "", false, "gone.jpg", "gone.jpg", State::Undecodable, {0, 0}},
        StateCase{"Folder", "", false, "", "<path>", State::Folder, {0, 0}},
        StateCase{"UpperCaseExtension", "p.JPG", true, "p.JPG", "p.JPG", State::Picture, {20, 10}},
        StateCase{"JpegExtension", "p.Jpeg", true, "p.Jpeg", "p.Jpeg", State::Picture, {20, 10}},
        StateCase{"OtherExtension", "p.png", true, "p.png", "<path>", State::Folder, {0, 0}},
        StateCase{"MissingFolder", "", false, "gone", "<path>", State::Folder, {0, 0}},
        StateCase{
            "TitleMark", "x[*].jpg", true, "x[*].jpg", "x[*][*].jpg", State::Picture, {20, 10}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PictureBrowser, AnUndecodablePictureKeepsTheSizeOfThePreviousOne) {
    TestFolder folder;
    PictureBrowser browser;
    browser.Show(folder.WriteFile("a.jpg", Picture(1000, 50)));
    browser.Show(folder.WriteFile("b.jpg", "not a picture"));
    EXPECT_EQ(browser.pictureSize(), QSize(1000, 50));
    browser.Show(QString());
    EXPECT_EQ(browser.Caption(), QStringLiteral("Lumora 1.00 - "));
    EXPECT_EQ(browser.pictureSize(), QSize(0, 0));
}

// The tree's selection: the folder's first "*.jpg" entry, or the folder itself.
TEST(PictureBrowser, AFolderShowsItsFirstPictureOrItself) {
    const struct {
        QStringList files, folders;
        const char *expected;  // relative to the folder; "" the folder itself
    } cases[] = {{{"b.png", "c.txt"}, {}, ""},
                 {{"b.jpg", "a 10.jpg", "a 9.jpg"}, {}, "a 9.jpg"},
                 {{"Photo 1.JPG"}, {}, "Photo 1.JPG"},
                 {{}, {"dir.jpg"}, ""}};
    for (const auto &c : cases) {
        TestFolder folder;
        for (const QString &file : c.files) folder.WriteFile(file, Picture());
        for (const QString &sub : c.folders) folder.MakeFolder(sub);
        PictureBrowser browser;
        browser.ShowFolder(folder.path());
        EXPECT_EQ(browser.path(), *c.expected ? folder.At(c.expected) : folder.path());
    }
}

TEST(PictureBrowser, StepsThroughItsFolderAndLinksGoWhereverTheNeighbourIs) {
    TestFolder folder;
    for (const char *name : {"c.jpg", "B.JPG", "a.jpg"}) folder.WriteFile(name, Picture());
    PictureBrowser browser;
    browser.Show(folder.At("a.jpg"));
    EXPECT_TRUE(browser.previous().isEmpty());
    EXPECT_EQ(browser.next(), folder.At("B.JPG"));
    browser.Show(folder.At("c.jpg"));
    EXPECT_EQ(browser.StepTo(true), Step::Shown);
    EXPECT_EQ(browser.path(), folder.At("B.JPG"));
    EXPECT_EQ(browser.state(), State::Picture);

    QFile::resize(folder.At("c.jpg"), 3);
    browser.Show(folder.At("c.jpg"));
    EXPECT_EQ(browser.state(), State::Undecodable);
    QFile::remove(folder.At("B.JPG"));  // a neighbour that vanished is still offered
    browser.ShowPrevious();
    EXPECT_EQ(browser.path(), folder.At("B.JPG"));
    browser.Show(folder.At("a.jpg"));
    browser.ShowNext();
    EXPECT_EQ(browser.path(), folder.At("c.jpg"));
}

// A download root with a date folder of the titles "t 1", "t 2" and "t 10", two pictures each.
struct Downloads {
    TestFolder folder;
    QString root = folder.MakeFolder("pictures");
    Downloads() {
        for (const int title : {10, 2, 1})
            for (const int n : {2, 1})
                folder.WriteFile(QString("pictures/2024-05-01/t %1/%2.jpg").arg(title).arg(n),
                                 Picture());
    }
    QString Picture_(int title, int n) const {
        return folder.At(QString("pictures/2024-05-01/t %1/%2.jpg").arg(title).arg(n));
    }
};

struct GroupCase {
    const char *name;
    int fromTitle, fromPicture;
    bool previous;
    Step step;
    int toTitle, toPicture, offset;  // offset 0: no group entered
};

void PrintTo(const GroupCase &c, std::ostream *os) { *os << c.name; }

class BrowserGroups : public ::testing::TestWithParam<GroupCase> {};

TEST_P(BrowserGroups, StepsOnToTheSiblingFolderOrSaysWhyNot) {
    const GroupCase &c = GetParam();
    Downloads downloads;
    PictureBrowser browser;
    browser.SetRoot(downloads.root);
    const QString from = downloads.Picture_(c.fromTitle, c.fromPicture);
    browser.Show(from);
    QSignalSpy entered(&browser, &PictureBrowser::groupEntered);
    EXPECT_EQ(browser.StepTo(c.previous), c.step);
    EXPECT_EQ(browser.path(), c.offset ? downloads.Picture_(c.toTitle, c.toPicture) : from);
    ASSERT_EQ(entered.count(), c.offset ? 1 : 0);
    if (c.offset) EXPECT_EQ(entered.front().front().toString(), FolderOf(browser.path()));
}

INSTANTIATE_TEST_SUITE_P(
    Steps, BrowserGroups,
    ::testing::Values(GroupCase{"NextTitlesFirst", 2, 2, false, Step::Shown, 10, 1, 1},
                      GroupCase{"PreviousTitlesLast", 2, 1, true, Step::Shown, 1, 2, -1},
                      GroupCase{"NoGroupAfterTheLast", 10, 2, false, Step::LastGroup, 0, 0, 0},
                      GroupCase{"NoGroupBeforeTheFirst", 1, 1, true, Step::FirstGroup, 0, 0, 0}),
    [](const auto &info) { return std::string(info.param.name); });

// The group step's picture is decoded ahead, so the step shows it at once.
TEST(PictureBrowser, TheGroupStepsPictureIsDecodedAhead) {
    Downloads downloads;
    PictureBrowser browser;
    browser.Show(downloads.Picture_(1, 2));
    browser.preloader().WaitIdle();
    EXPECT_TRUE(browser.preloader().Take(downloads.Picture_(2, 1)).has_value());
}

TEST(PictureBrowser, APictureInTheRootStepsNowhere) {
    for (const QString &suffix : {QString(), QStringLiteral("/")}) {
        Downloads downloads;
        const QString picture = downloads.folder.WriteFile("pictures/p.jpg", Picture());
        PictureBrowser browser;
        browser.SetRoot(downloads.root + suffix);
        browser.Show(picture);
        EXPECT_EQ(browser.StepTo(true), Step::AtRoot);
        EXPECT_EQ(browser.StepTo(false), Step::AtRoot);
        EXPECT_EQ(browser.path(), picture);
    }
}

struct DeleteCase {
    const char *name;
    std::vector<const char *> pictures;
    const char *deleted;
    const char *shown;  // afterwards; "" the folder
};

void PrintTo(const DeleteCase &c, std::ostream *os) { *os << c.name; }

class BrowserDelete : public ::testing::TestWithParam<DeleteCase> {};

TEST_P(BrowserDelete, RemovesTheFileAndShowsANeighbour) {
    const DeleteCase &c = GetParam();
    TestFolder folder;
    for (const char *name : c.pictures) folder.WriteFile(name, Picture());
    QFile::resize(folder.At("bad.jpg"), 3);
    PictureBrowser browser;
    browser.Show(folder.At(c.deleted));
    browser.Delete(browser.path());
    EXPECT_FALSE(QFile::exists(folder.At(c.deleted)));
    EXPECT_EQ(browser.path(), *c.shown ? folder.At(c.shown) : folder.path());
    EXPECT_NE(browser.previous(), folder.At(c.deleted));
    EXPECT_NE(browser.next(), folder.At(c.deleted));
}

INSTANTIATE_TEST_SUITE_P(
    Neighbours, BrowserDelete,
    ::testing::Values(DeleteCase{"MiddleShowsNext", {"a.jpg", "b.jpg", "c.jpg"}, "b.jpg", "c.jpg"},
                      DeleteCase{
                          "LastShowsPrevious", {"a.jpg", "b.jpg", "c.jpg"}, "c.jpg", "b.jpg"},
                      DeleteCase{"FirstShowsNext", {"a.jpg", "b.jpg"}, "a.jpg", "b.jpg"},
                      DeleteCase{"OnlyShowsTheFolder", {"only.jpg"}, "only.jpg", ""},
                      DeleteCase{"Undecodable", {"bad.jpg", "c.jpg"}, "bad.jpg", "c.jpg"}),
    [](const auto &info) { return std::string(info.param.name); });

// Another picture was shown while the question was open: the file it named goes, the shown one
// stays, listed afresh.
TEST(PictureBrowser, DeletesTheFileTheQuestionNamed) {
    TestFolder folder;
    for (const char *name : {"a.jpg", "b.jpg", "c.jpg"}) folder.WriteFile(name, Picture());
    PictureBrowser browser;
    browser.Show(folder.At("c.jpg"));
    browser.Delete(folder.At("a.jpg"));
    EXPECT_FALSE(QFile::exists(folder.At("a.jpg")));
    EXPECT_EQ(browser.path(), folder.At("c.jpg"));
    EXPECT_EQ(browser.previous(), folder.At("b.jpg"));
}

// Names that are not UTF-8 (unpacked from a GBK archive, say) are stepped and deleted by their
// exact bytes, never as a look-alike.
TEST(PictureBrowser, NamesThatAreNotUtf8AreSteppedAndDeletedByTheirBytes) {
    TestFolder folder;
    const QByteArray base = EncodeFileName(folder.path()) + "/";
    const QByteArray picture = Picture();
    for (const QByteArray &name : {QByteArray("p\xb8.jpg"), QByteArray("q\xf6.jpg")}) {
        const int fd = ::open(base + name, O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, picture.constData(), picture.size()), picture.size());
        ::close(fd);
    }
    folder.WriteFile(QStringLiteral("p\uFFFD.jpg"), picture);  // the look-alike
    PictureBrowser browser;
    browser.Show(JoinPath(folder.path(), DecodeFileName("p\xb8.jpg")));
    EXPECT_EQ(browser.state(), State::Picture);
    EXPECT_EQ(browser.Caption(), QStringLiteral("Lumora 1.00 - p\uFFFD.jpg"));
    EXPECT_FALSE(browser.next().isEmpty());
    browser.Delete(browser.path());
    struct stat info {};
    EXPECT_NE(::stat(base + "p\xb8.jpg", &info), 0);
    EXPECT_EQ(::stat(base + "q\xf6.jpg", &info), 0);
    EXPECT_TRUE(QFile::exists(folder.At(QStringLiteral("p\uFFFD.jpg"))));
}

// Pictures another program adds or removes beside the shown one: the next step knows them, and
// the watch tells of them even before a step.
TEST(PictureBrowser, TheNeighboursFollowTheFolder) {
    TestFolder folder;
    PictureBrowser browser;
    const QString a = folder.WriteFile("a.jpg", Picture());
    const QString c = folder.WriteFile("c.jpg", Picture());
    browser.Show(a);
    QSignalSpy changed(&browser, &PictureBrowser::neighboursChanged);
    const QString b = folder.WriteFile("b.jpg", Picture());
    EXPECT_TRUE(changed.wait(5000));
    EXPECT_EQ(browser.next(), b);
    EXPECT_EQ(browser.place().count, 3);

    QFile::remove(b);
    EXPECT_EQ(browser.StepTo(false), Step::Shown) << "at once, before the watch tells";
    EXPECT_EQ(browser.path(), c);
}

TEST(PictureBrowser, RefreshFindsNewPicturesAndNoticesAVanishedOne) {
    TestFolder folder;
    PictureBrowser browser;
    browser.Show(folder.WriteFile("b.jpg", Picture()));
    const QString added = folder.WriteFile("a.jpg", Picture());
    browser.Refresh();
    EXPECT_EQ(browser.previous(), added);
    QFile::remove(folder.At("b.jpg"));  // removed by another program
    browser.Refresh();
    EXPECT_EQ(browser.state(), State::Undecodable);
    EXPECT_EQ(browser.previous(), added);
    EXPECT_TRUE(browser.next().isEmpty());
}

}  // namespace
