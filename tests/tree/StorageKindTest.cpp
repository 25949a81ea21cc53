#include <gtest/gtest.h>

#include "platform/StorageKind.h"

namespace {

// Captured /proc/self/mountinfo lines.
constexpr char kRootExt4[] =
    "29 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw,errors=remount-ro\n";

struct KindCase {
    const char *name;
    const char *lines;  // added after the ext4 root
    const char *path;
    StorageKind expected;
};

class ClassifyStorageTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(ClassifyStorageTest, ClassifiesTheMountHoldingThePath) {
    const KindCase &c = GetParam();
    const auto removable = [](const QString &source, const QString &majorMinor) {
        return source == "/dev/sdb1" && majorMinor == "8:17";
    };
    EXPECT_EQ(ClassifyStorage(c.path, QString(kRootExt4) + c.lines, removable), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    MountInfo, ClassifyStorageTest,
    ::testing::Values(
        KindCase{"Ext4Root", "", "/home/user/pictures", StorageKind::Fixed},
        KindCase{"BtrfsSubvolume",
                 "35 29 0:32 /@home /home rw,relatime shared:2 - btrfs /dev/sda2 "
                 "rw,space_cache=v2,subvolid=257,subvol=/@home\n",
                 "/home/user", StorageKind::Fixed},
        KindCase{"ContainerOverlay",
                 "600 29 0:50 / / rw,relatime master:1 - overlay overlay rw,lowerdir=/var/lib/"
                 "docker/overlay2/l/ABC,upperdir=/var/lib/docker/overlay2/x/diff,workdir=/var/lib/"
                 "docker/overlay2/x/work\n",
                 "/data", StorageKind::Fixed},
        KindCase{"OverlayWithUpperLayerInRam",
                 "40 29 0:40 / /cow rw,relatime - tmpfs tmpfs rw\n"
                 "41 29 0:41 / /live rw,relatime - overlay overlay rw,lowerdir=/ro,upperdir=/cow/"
                 "upper,workdir=/cow/work\n",
                 "/live/pictures", StorageKind::Ram},
        KindCase{
            "VfatOnARemovableDevice",
            "80 29 8:17 / /media/user/STICK rw,nosuid,nodev,relatime shared:50 - vfat /dev/sdb1 "
            "rw,fmask=0022,dmask=0022,codepage=437\n",
            "/media/user/STICK/DCIM", StorageKind::Removable},
        KindCase{"Nfs4",
                 "90 29 0:55 / /mnt/nfs rw,relatime shared:60 - nfs4 server:/export "
                 "rw,vers=4.2,rsize=1048576,addr=10.0.0.2\n",
                 "/mnt/nfs/pictures", StorageKind::Network},
        KindCase{"Cifs",
                 "91 29 0:56 / /mnt/share rw,relatime - cifs //server/share rw,vers=3.1.1\n",
                 "/mnt/share", StorageKind::Network},
        KindCase{"Sshfs",
                 "92 29 0:57 / /home/user/remote rw,nosuid,nodev - fuse.sshfs user@host:/ "
                 "rw,user_id=1000,group_id=1000\n",
                 "/home/user/remote/p", StorageKind::Network},
        KindCase{"Iso9660", "93 29 11:0 / /media/cdrom ro,relatime - iso9660 /dev/sr0 ro\n",
                 "/media/cdrom/pictures", StorageKind::Optical},
        KindCase{"Tmpfs", "94 29 0:58 / /tmp rw,nosuid,nodev - tmpfs tmpfs rw,size=8g\n",
                 "/tmp/pictures", StorageKind::Ram},
        KindCase{"Ext4OnZram", "102 29 252:1 / /var/tmp rw,relatime - ext4 /dev/zram1 rw\n",
                 "/var/tmp/pictures", StorageKind::Ram},
        KindCase{"Ext2OnARamDisk", "103 29 1:0 / /mnt/rd rw,relatime - ext2 /dev/ram0 rw\n",
                 "/mnt/rd", StorageKind::Ram},
        KindCase{"Proc", "95 29 0:22 / /proc rw,nosuid - proc proc rw\n", "/proc/self",
                 StorageKind::Pseudo},
        KindCase{"UnknownFuse", "96 29 0:60 / /mnt/fuse rw - fuse.mystery mystery rw\n",
                 "/mnt/fuse", StorageKind::Unknown},
        KindCase{"EscapedBlankInMountPoint",
                 "97 29 0:61 / /media/user/My\\040Disk rw - nfs host:/x rw\n",
                 "/media/user/My Disk/pics", StorageKind::Network},
        KindCase{"PrefixOnlyAtAComponentBoundary", "98 29 0:62 / /mnt/data rw - nfs host:/x rw\n",
                 "/mnt/database", StorageKind::Fixed},
        KindCase{
            "LaterMountOnTheSamePointWins",
            "99 29 8:49 / /mnt rw - ext4 /dev/sdd1 rw\n100 29 0:63 / /mnt rw - tmpfs tmpfs rw\n",
            "/mnt/x", StorageKind::Ram},
        KindCase{"OptionalTagsBeforeTheSeparator",
                 "101 29 0:64 / /srv rw shared:7 master:3 propagate_from:2 - tmpfs tmpfs rw\n",
                 "/srv", StorageKind::Ram}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ClassifyStorageEdgeTest, NoMountOrGarbageIsUnknown) {
    EXPECT_EQ(ClassifyStorage("/x", "", nullptr), StorageKind::Unknown);
    EXPECT_EQ(ClassifyStorage("/x", "garbage line\n1 2 3\n", nullptr), StorageKind::Unknown);
}

}  // namespace

namespace {

TEST(StorageKindOfTest, ReadsThisMachinesMountTable) {
    EXPECT_EQ(StorageKindOf("/proc/self"), StorageKind::Pseudo);
    EXPECT_EQ(StorageKindOf("/sys"), StorageKind::Pseudo);
}

}  // namespace
