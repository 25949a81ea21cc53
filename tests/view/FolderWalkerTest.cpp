#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>

#include "platform/FileNames.h"
#include "support/TestFolders.h"
#include "view/FolderWalker.h"

namespace {

// Created in an order unlike the names' order, which no file system here lists by name.
const std::vector<int> kShuffled = {7, 12, 1, 10, 3, 9, 2, 11, 5, 4, 8, 6};

// "t 1.jpg" … "t 12.jpg" in `folder`, created in kShuffled order; their paths in name order.
std::vector<QString> TwelvePictures(const TestFolder &folder, const QString &folderPath = {}) {
    for (const int n : kShuffled) folder.WriteFile(folderPath + QStringLiteral("t %1.jpg").arg(n));
    std::vector<QString> paths;
    for (int n = 1; n <= 12; ++n)
        paths.push_back(folder.At(folderPath + QStringLiteral("t %1.jpg").arg(n)));
    return paths;
}

// Dated long ago, so that the walker keeps the folder's listing until the folder changes.
void MarkUnchangedSinceLongAgo(const QString &folder) {
    const timespec hourAgo[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, EncodeFileName(folder).constData(), hourAgo, 0), 0);
}

TEST(FindNeighbours, StepsThroughThePicturesInNameOrderBothWays) {
    TestFolder folder;
    const std::vector<QString> order = TwelvePictures(folder);
    FolderWalker walker;
    for (size_t i = 0; i < order.size(); ++i) {
        const Neighbours found = walker.FindNeighbours(order[i]);
        EXPECT_EQ(found.previous, i == 0 ? QString() : order[i - 1]) << i;
        EXPECT_EQ(found.next, i + 1 == order.size() ? QString() : order[i + 1]) << i;
    }
    EXPECT_EQ(walker.FirstPicture(folder.path()), order.front());
}

TEST(FindNeighbours, EveryJpegNameInAnyCaseIsANeighbourBothWays) {
    TestFolder folder;
    for (const char *name : {"IMG_0002.JPG", "IMG_0001.JPG", "IMG_0003.jpeg"})
        folder.WriteFile(name);
    FolderWalker walker;
    const Neighbours found = walker.FindNeighbours(folder.At("IMG_0002.JPG"));
    EXPECT_EQ(found.previous, folder.At("IMG_0001.JPG"));
    EXPECT_EQ(found.next, folder.At("IMG_0003.jpeg"));
    EXPECT_EQ(walker.FirstPicture(folder.path()), folder.At("IMG_0001.JPG"));
}

TEST(FindNeighbours, VanishedPictureHasLastEntryBeforeAndNothingAfter) {
    TestFolder folder;
    for (const char *name : {"b.jpg", "a.jpg"}) folder.WriteFile(name);
    FolderWalker walker;
    const Neighbours found = walker.FindNeighbours(folder.At(QStringLiteral("gone.jpg")));
    EXPECT_EQ(found.previous, folder.At("b.jpg"));
    EXPECT_TRUE(found.next.isEmpty());
    EXPECT_TRUE(
        walker.FindNeighbours(folder.At(QStringLiteral("missing/p.jpg"))).previous.isEmpty());
}

TEST(FindNeighbours, PicturesAddedOrRemovedBetweenTwoStepsAreSeen) {
    TestFolder folder;
    const std::vector<QString> order = TwelvePictures(folder);
    MarkUnchangedSinceLongAgo(folder.path());
    FolderWalker walker;
    EXPECT_EQ(walker.FindNeighbours(order[1]).next, order[2]);  // t 3: listing kept from here on
    const QString added = folder.WriteFile(QStringLiteral("t 2a.jpg"));
    EXPECT_EQ(walker.FindNeighbours(order[1]).next, added);
    ASSERT_TRUE(QFile::remove(added));
    ASSERT_TRUE(QFile::remove(order[2]));
    EXPECT_EQ(walker.FindNeighbours(order[1]).next, order[3]);
}

// A date folder whose title folders "t 1", "t 2" and "t 10" are created in another order.
struct Groups {
    TestFolder folder;
    QString date = folder.MakeFolder(QStringLiteral("2024-05-01"));
    explicit Groups(const std::vector<int> &pictures) {  // pictures of t 1, t 2, t 10
        const int titles[] = {10, 1, 2};
        const int counts[] = {pictures[2], pictures[0], pictures[1]};
        for (int i = 0; i < 3; ++i) {
            folder.MakeFolder(QStringLiteral("2024-05-01/t %1").arg(titles[i]));
            for (int p = counts[i]; p >= 1; --p)
                folder.WriteFile(QStringLiteral("2024-05-01/t %1/%2.jpg").arg(titles[i]).arg(p));
        }
        folder.WriteFile(QStringLiteral("2024-05-01/loose.txt"));
    }
    QString Title(int n) const { return date + QStringLiteral("/t %1").arg(n); }
    QString Picture(int title, int n) const {
        return Title(title) + QStringLiteral("/%1.jpg").arg(n);
    }
};

TEST(FolderWalker, StepsToTheNeighbouringGroupsInNameOrder) {
    Groups groups({2, 3, 2});
    FolderWalker walker;
    EXPECT_EQ(walker.NextGroup(groups.Picture(1, 2)), groups.Picture(2, 1));
    EXPECT_EQ(walker.NextGroup(groups.Picture(2, 1)), groups.Picture(10, 1));
    EXPECT_EQ(walker.PreviousGroup(groups.Picture(10, 1)), groups.Picture(2, 3));
    EXPECT_EQ(walker.PreviousGroup(groups.Picture(2, 3)), groups.Picture(1, 2));
    EXPECT_EQ(walker.PreviousGroup(groups.Picture(1, 1)), QString());
    EXPECT_EQ(walker.NextGroup(groups.Picture(10, 2)), QString());
}

TEST(FolderWalker, GroupWithoutPicturesIsReturnedAsAFolder) {
    Groups groups({1, 0, 1});
    FolderWalker walker;
    EXPECT_EQ(walker.NextGroup(groups.Picture(1, 1)), groups.Title(2));
    EXPECT_EQ(walker.PreviousGroup(groups.Picture(10, 1)), groups.Title(2));
}

TEST(FolderWalker, PreviousGroupStopsBeforeASubFolderNamedLikeAPicture) {
    Groups groups({4, 1, 1});
    QDir(groups.Title(1)).mkdir(QStringLiteral("2x.jpg"));  // between 2.jpg and 3.jpg
    EXPECT_EQ(FolderWalker().PreviousGroup(groups.Picture(2, 1)), groups.Picture(1, 2));
}

TEST(FolderWalker, VanishedOrUnlistableFoldersGiveNoGroup) {
    TestFolder folder;
    FolderWalker walker;
    const QString alone = folder.MakeFolder(QStringLiteral("only"));
    // The shown folder vanished and its parent holds no other folder.
    QDir(alone).removeRecursively();
    EXPECT_EQ(walker.PreviousGroup(folder.At(QStringLiteral("only/p.jpg"))), QString());
    EXPECT_EQ(walker.NextGroup(folder.At(QStringLiteral("only/p.jpg"))), QString());
    EXPECT_EQ(walker.PreviousGroup(QStringLiteral("/nonexistent/a/b/p.jpg")), QString());
    EXPECT_EQ(walker.NextGroup(QStringLiteral("/nonexistent/a/b/p.jpg")), QString());
}

}  // namespace
