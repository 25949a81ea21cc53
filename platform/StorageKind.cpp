#include "platform/StorageKind.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <optional>
#include <set>

#include "platform/DirectoryListing.h"

namespace {

struct Mount {
    QString majorMinor;
    QString mountPoint;
    QString fsType;
    QString source;
    QString superOptions;
};

const std::set<QString> kNetworkTypes = {
    "nfs",  "nfs4",      "cifs",   "smb3",  "smbfs", "ncpfs",    "ncp",      "afs",   "9p",
    "ceph", "glusterfs", "lustre", "davfs", "coda",  "virtiofs", "orangefs", "beegfs"};
const std::set<QString> kNetworkFuseTypes = {
    "sshfs",    "rclone", "s3fs",      "gcsfuse", "davfs2",  "glusterfs", "curlftpfs", "gvfsd-fuse",
    "smbnetfs", "cephfs", "ceph-fuse", "goofys",  "juicefs", "httpfs",    "httpdirfs"};
const std::set<QString> kOpticalTypes = {"iso9660", "udf"};
const std::set<QString> kRamTypes = {"tmpfs", "ramfs"};
const std::set<QString> kPseudoTypes = {
    "proc",       "sysfs",      "devtmpfs",  "devpts",   "cgroup",      "cgroup2",
    "securityfs", "debugfs",    "tracefs",   "configfs", "fusectl",     "mqueue",
    "hugetlbfs",  "pstore",     "bpf",       "autofs",   "binfmt_misc", "efivarfs",
    "nsfs",       "rpc_pipefs", "selinuxfs", "nfsd",     "devfs"};
// Disk file systems whose mount source need not be a /dev node (btrfs subvolumes, zfs datasets).
const std::set<QString> kDiskTypes = {"ext2",   "ext3",     "ext4",    "xfs",    "btrfs",
                                      "zfs",    "bcachefs", "f2fs",    "jfs",    "reiserfs",
                                      "nilfs2", "vfat",     "msdos",   "exfat",  "ntfs",
                                      "ntfs3",  "hfs",      "hfsplus", "fuseblk"};

// Mount points escape blanks, tabs, newlines and backslashes as \ooo.
QString Unescape(const QString &field) {
    const QByteArray bytes = field.toUtf8();
    QByteArray out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\\' && i + 3 < bytes.size()) {
            bool ok = false;
            const int code = bytes.mid(i + 1, 3).toInt(&ok, 8);
            if (ok && code < 256) {
                out.append(static_cast<char>(code));
                i += 3;
                continue;
            }
        }
        out.append(bytes[i]);
    }
    return QString::fromUtf8(out);
}

std::optional<Mount> ParseLine(const QString &line) {
    const QStringList fields = line.split(u' ', Qt::SkipEmptyParts);
    // Six fixed fields, optional tags, "-", then type, source and super options.
    const qsizetype separator = fields.indexOf(QStringLiteral("-"), 6);
    if (separator < 0 || separator + 1 >= fields.size()) return std::nullopt;
    Mount mount;
    mount.majorMinor = fields[2];
    mount.mountPoint = Unescape(fields[4]);
    mount.fsType = fields[separator + 1];
    mount.source = separator + 2 < fields.size() ? Unescape(fields[separator + 2]) : QString();
    mount.superOptions = separator + 3 < fields.size() ? fields[separator + 3] : QString();
    return mount;
}

bool Contains(const QString &mountPoint, const QString &path) {
    if (mountPoint == QStringLiteral("/")) return path.startsWith(u'/');
    return path == mountPoint || path.startsWith(mountPoint + u'/');
}

std::optional<Mount> MountHolding(const QString &path, const QString &mountInfo) {
    std::optional<Mount> best;
    for (const QString &line : mountInfo.split(u'\n', Qt::SkipEmptyParts)) {
        const std::optional<Mount> mount = ParseLine(line);
        if (!mount || !Contains(mount->mountPoint, path)) continue;
        // A later mount on the same point hides the earlier one.
        if (!best || mount->mountPoint.size() >= best->mountPoint.size()) best = mount;
    }
    return best;
}

QString SuperOption(const QString &options, const QString &name) {
    const QString prefix = name + u'=';
    for (const QString &option : options.split(u',')) {
        if (option.startsWith(prefix)) return option.mid(prefix.size());
    }
    return QString();
}

StorageKind ClassifyMount(const Mount &mount, const QString &mountInfo,
                          const RemovableLookup &isRemovable, bool followOverlay) {
    const QString &type = mount.fsType;
    if (kNetworkTypes.count(type)) return StorageKind::Network;
    if (kOpticalTypes.count(type)) return StorageKind::Optical;
    if (kRamTypes.count(type)) return StorageKind::Ram;
    if (kPseudoTypes.count(type)) return StorageKind::Pseudo;
    if (type.startsWith(QStringLiteral("fuse."))) {
        return kNetworkFuseTypes.count(type.mid(5)) ? StorageKind::Network : StorageKind::Unknown;
    }
    if (type == QStringLiteral("overlay")) {
        // Writes land in the upper layer; judge by the file system that holds it when the table
        // shows one (a container's table usually does not, its layers being on the host).
        const QString upper = SuperOption(mount.superOptions, QStringLiteral("upperdir"));
        if (followOverlay && !upper.isEmpty()) {
            const std::optional<Mount> holder = MountHolding(upper, mountInfo);
            if (holder && holder->mountPoint != mount.mountPoint)
                return ClassifyMount(*holder, mountInfo, isRemovable, false);
        }
        return StorageKind::Fixed;
    }
    // A disk file system on a RAM block device (zram, brd) is a RAM disk all the same.
    if (mount.source.startsWith(QStringLiteral("/dev/zram")) ||
        mount.source.startsWith(QStringLiteral("/dev/ram")))
        return StorageKind::Ram;
    if (kDiskTypes.count(type) || mount.source.startsWith(QStringLiteral("/dev/"))) {
        return isRemovable && isRemovable(mount.source, mount.majorMinor) ? StorageKind::Removable
                                                                          : StorageKind::Fixed;
    }
    return StorageKind::Unknown;
}

QString ReadSmallFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool IsRemovableDevice(const QString &source, const QString &majorMinor) {
    QString device;
    if (source.startsWith(QStringLiteral("/dev/"))) {
        const QString node = QFileInfo(source).canonicalFilePath();
        if (!node.isEmpty())
            device = QFileInfo(QStringLiteral("/sys/class/block/") + FileNameOf(node))
                         .canonicalFilePath();
    }
    if (device.isEmpty() && !majorMinor.startsWith(QStringLiteral("0:")))
        device = QFileInfo(QStringLiteral("/sys/dev/block/") + majorMinor).canonicalFilePath();
    if (device.isEmpty()) return false;
    if (QFileInfo::exists(device + QStringLiteral("/partition"))) device = FolderOf(device);
    return ReadSmallFile(device + QStringLiteral("/removable")).trimmed() == QStringLiteral("1");
}

}  // namespace

bool IsAcceptedStorage(StorageKind kind) {
    return kind == StorageKind::Fixed || kind == StorageKind::Removable;
}

StorageKind ClassifyStorage(const QString &path, const QString &mountInfo,
                            const RemovableLookup &isRemovable) {
    const std::optional<Mount> mount = MountHolding(path, mountInfo);
    return mount ? ClassifyMount(*mount, mountInfo, isRemovable, true) : StorageKind::Unknown;
}

StorageKind StorageKindOf(const QString &path) {
    QString resolved = QFileInfo(path).canonicalFilePath();
    if (resolved.isEmpty()) resolved = QFileInfo(path).absoluteFilePath();
    return ClassifyStorage(resolved, ReadSmallFile(QStringLiteral("/proc/self/mountinfo")),
                           IsRemovableDevice);
}
