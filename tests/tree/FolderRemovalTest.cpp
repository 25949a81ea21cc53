#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>

#include "support/TestFolders.h"
#include "tree/FolderRemoval.h"

namespace {

TEST(FolderRemovalTest, RemovesEverythingBelowButNeverFollowsALink) {
    TestFolder folder;
    folder.WriteFile("outside/keep.jpg", "picture");
    folder.WriteFile("victim/a/b/c/deep.jpg", "x");
    folder.WriteFile("victim/.hidden/file", "x");
    ASSERT_TRUE(QFile::link(folder.At("outside"), folder.At("victim/a/to-folder")));
    ASSERT_TRUE(QFile::link(folder.At("outside/keep.jpg"), folder.At("victim/to-file.jpg")));
    ASSERT_TRUE(QFile::link(folder.At("nowhere"), folder.At("victim/dangling")));

    EXPECT_TRUE(RemoveFolderTree(folder.At("victim")));
    EXPECT_FALSE(QFileInfo::exists(folder.At("victim")));
    EXPECT_EQ(ReadWholeFile(folder.At("outside/keep.jpg")), "picture");
}

TEST(FolderRemovalTest, AMissingFolderIsAFailure) {
    TestFolder folder;
    EXPECT_FALSE(RemoveFolderTree(folder.At("missing")));
    EXPECT_FALSE(RemoveFolderTree(QString()));
}

// A folder with a write-protected sub-folder: its file stays, and the removal reports failure.
bool PartialRemovalFails(const TestFolder &folder) {
    folder.WriteFile("victim/free/file", "x");
    folder.WriteFile("victim/locked/file", "x");
    QFile::setPermissions(folder.At("victim/locked"), QFile::ReadOwner | QFile::ExeOwner);
    const bool failed = !RemoveFolderTree(folder.At("victim"));
    const bool kept = QFileInfo::exists(folder.At("victim/locked/file"));
    QFile::setPermissions(folder.At("victim/locked"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return failed && kept;
}

TEST(FolderRemovalTest, APartialRemovalIsAFailure) {
    TestFolder folder;
    if (geteuid() != 0) {
        EXPECT_TRUE(PartialRemovalFails(folder));
        return;
    }
    // Permissions do not bind the superuser: run the removal as "nobody" in a child process.
    constexpr uid_t kNobody = 65534;
    ASSERT_EQ(chown(QFile::encodeName(folder.path()).constData(), kNobody, kNobody), 0);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const bool dropped = setgid(kNobody) == 0 && setuid(kNobody) == 0;
            std::exit(dropped && PartialRemovalFails(folder) ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
