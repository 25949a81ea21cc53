#include <gtest/gtest.h>

#include <QFile>
#include <algorithm>

#include "platform/DirectoryListing.h"
#include "support/TestFolders.h"

namespace {

std::vector<QString> Names(const std::vector<DirEntry> &entries) {
    std::vector<QString> names;
    for (const DirEntry &entry : entries) names.push_back(entry.name);
    return names;
}

TEST(DirectoryListingTest, AllListsEveryNameOnceInNameOrderDotEntriesFirst) {
    TestFolder folder;
    for (const char *name : {"zeta.jpg", "alpha.txt", "Mid.JPG", "b", ".hidden"})
        folder.WriteFile(name);
    folder.MakeFolder("sub");
    const auto entries = ListFolder(folder.path(), ListPattern::All);
    ASSERT_TRUE(entries);
    EXPECT_EQ(Names(*entries), (std::vector<QString>{".", "..", ".hidden", "alpha.txt", "b",
                                                     "Mid.JPG", "sub", "zeta.jpg"}));
}

TEST(DirectoryListingTest, JpgListsExactlyThePictureNamesInAnyCaseAndIncludesFolders) {
    TestFolder folder;
    for (const char *name : {"a.jpg", "B.JPG", "c.Jpg", "d.jpeg", "E.JPEG", "e.jpgx", "f.jpe",
                             "g.png", "jpg", "jpeg", ".jpg"})
        folder.WriteFile(name);
    folder.MakeFolder("x.jpg");
    const auto entries = ListFolder(folder.path(), ListPattern::Jpg);
    ASSERT_TRUE(entries);
    EXPECT_EQ(Names(*entries), (std::vector<QString>{".jpg", "a.jpg", "B.JPG", "c.Jpg", "d.jpeg",
                                                     "E.JPEG", "x.jpg"}));
    for (const DirEntry &entry : *entries) {
        EXPECT_EQ(entry.isDirectory, entry.name == "x.jpg");
        // Whatever the listing takes is a picture path, so LoadPath shows it.
        EXPECT_TRUE(IsPicturePath(JoinPath(folder.path(), entry.name))) << entry.name.toStdString();
    }
    for (const char *name : {"/p/e.jpgx", "/p/f.jpe", "/p/g.png", "jpg", ""})
        EXPECT_FALSE(IsPicturePath(name)) << name;
}

TEST(DirectoryListingTest, SymbolicLinksAreNeverDirectories) {
    TestFolder folder;
    const QString target = folder.MakeFolder("real");
    ASSERT_TRUE(QFile::link(target, folder.At("link")));
    const auto entries = ListFolder(folder.path(), ListPattern::All);
    ASSERT_TRUE(entries);
    const auto link = std::find_if(entries->begin(), entries->end(),
                                   [](const DirEntry &entry) { return entry.name == "link"; });
    ASSERT_NE(link, entries->end());
    EXPECT_FALSE(link->isDirectory);
}

TEST(DirectoryListingTest, MissingFolderOrFileCannotBeListed) {
    TestFolder folder;
    EXPECT_FALSE(ListFolder(folder.At("missing"), ListPattern::All));
    EXPECT_FALSE(ListFolder(folder.WriteFile("file.jpg"), ListPattern::Jpg));
    EXPECT_FALSE(ListFolder(QString(), ListPattern::All));
}

struct PathCase {
    const char *folder;
    const char *name;
    const char *joined;
};

class JoinPathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(JoinPathTest, AddsOneSlashOnlyWhenNeededAndSplitsBack) {
    const QString joined = JoinPath(GetParam().folder, GetParam().name);
    EXPECT_EQ(joined, GetParam().joined);
    EXPECT_EQ(FolderOf(joined), GetParam().folder);
    EXPECT_EQ(FileNameOf(joined), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, JoinPathTest,
    ::testing::Values(PathCase{"/", "x", "/x"}, PathCase{"/data", "a.jpg", "/data/a.jpg"},
                      PathCase{"/data/2010-05-03", "t", "/data/2010-05-03/t"}));

TEST(PathTextTest, FolderOfAPathWithoutSlashIsItself) {
    EXPECT_EQ(FolderOf("a.jpg"), "a.jpg");
    EXPECT_EQ(FileNameOf("a.jpg"), "a.jpg");
}

}  // namespace
