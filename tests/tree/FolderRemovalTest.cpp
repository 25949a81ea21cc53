#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>
#include <memory>
#include <optional>

#include "support/ScratchMount.h"
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

// A probe that tells the truth, except that `folder` is on another device after its first
// `honestCalls` probes.
MountProbe ReportingAnotherDevice(const QString &folder, int honestCalls) {
    struct stat target {};
    ::stat(QFile::encodeName(folder).constData(), &target);
    auto calls = std::make_shared<int>(0);
    return [target, calls, honestCalls](int fd) {
        std::optional<MountIdentity> identity = ProbeMount(fd);
        struct stat info {};
        if (identity && ::fstat(fd, &info) == 0 && info.st_ino == target.st_ino &&
            info.st_dev == target.st_dev && (*calls)++ >= honestCalls)
            ++identity->device;
        return identity;
    };
}

enum class OtherMount { Tmpfs, Bind, Reported };

struct MountCase {
    const char *name;
    OtherMount kind;
    const char *mountPoint;  // "Y" itself or a folder below it
};

void PrintTo(const MountCase &c, std::ostream *os) { *os << c.name; }

class FolderRemovalAcrossMounts : public ::testing::TestWithParam<MountCase> {};

// Deleting Y, which holds or is another mount: nothing at all is removed, on either side.
TEST_P(FolderRemovalAcrossMounts, RemovesNothing) {
    const MountCase &c = GetParam();
    TestFolder folder;
    const QString mountPoint = folder.MakeFolder(c.mountPoint);
    std::optional<ScratchMount> mount;
    MountProbe probe = ProbeMount;
    if (c.kind == OtherMount::Tmpfs) mount.emplace(ScratchMount::Tmpfs(mountPoint, "size=1m"));
    if (c.kind == OtherMount::Bind)
        mount.emplace(ScratchMount::Bind(folder.MakeFolder("elsewhere"), mountPoint));
    if (c.kind == OtherMount::Reported) probe = ReportingAnotherDevice(mountPoint, 0);
    if (mount && !mount->mounted()) GTEST_SKIP() << mount->failure().toStdString();
    folder.WriteFile("Y/picture.jpg", "picture");
    folder.WriteFile(QString(c.mountPoint) + "/mounted.jpg", "mounted");

    EXPECT_FALSE(RemoveFolderTree(folder.At("Y"), probe));
    EXPECT_EQ(ReadWholeFile(folder.At("Y/picture.jpg")), "picture");
    EXPECT_EQ(ReadWholeFile(mountPoint + "/mounted.jpg"), "mounted");
}

INSTANTIATE_TEST_SUITE_P(Mounts, FolderRemovalAcrossMounts,
                         ::testing::Values(MountCase{"TmpfsBelow", OtherMount::Tmpfs, "Y/sub/mnt"},
                                           MountCase{"BindMountBelow", OtherMount::Bind, "Y/mnt"},
                                           MountCase{"FolderItselfMounted", OtherMount::Tmpfs, "Y"},
                                           MountCase{"AnotherDeviceBelow", OtherMount::Reported,
                                                     "Y/sub/mnt"}),
                         [](const auto &info) { return std::string(info.param.name); });

// A mount that appears after the check: the removal goes on around it but never enters it.
TEST(FolderRemovalTest, NeverEntersAFolderMountedWhileItRuns) {
    TestFolder folder;
    folder.WriteFile("Y/picture.jpg", "picture");
    folder.WriteFile("Y/mnt/mounted.jpg", "mounted");

    EXPECT_FALSE(RemoveFolderTree(folder.At("Y"), ReportingAnotherDevice(folder.At("Y/mnt"), 1)));
    EXPECT_EQ(ReadWholeFile(folder.At("Y/mnt/mounted.jpg")), "mounted");
}

}  // namespace
