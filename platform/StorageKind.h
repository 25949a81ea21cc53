#pragma once

#include <QString>
#include <functional>

// The kind of storage a file system lives on, as far as choosing a download root is concerned.
enum class StorageKind {
    Fixed,      // a local disk
    Removable,  // a disk the kernel marks removable (USB sticks, card readers)
    Network,    // nfs, cifs/smb, sshfs, 9p, …
    Optical,    // iso9660, udf
    Ram,        // tmpfs, ramfs
    Pseudo,     // proc, sysfs, cgroup, … : no real storage
    Unknown,    // no mount found, or a file system nobody vouches for
};

// Only local disks, fixed or removable, may hold the download root.
bool IsAcceptedStorage(StorageKind kind);

// Whether the block device of a mount is removable. `source` is the mount source (e.g.
// "/dev/sdb1"), `majorMinor` the "major:minor" field of the mount.
using RemovableLookup = std::function<bool(const QString &source, const QString &majorMinor)>;

// Classifies the file system holding `path` (absolute, symbolic links already resolved) from the
// text of a mountinfo table: the mount with the longest mount point containing the path, the
// later one when a mount point is stacked. Pure apart from `isRemovable`.
StorageKind ClassifyStorage(const QString &path, const QString &mountInfo,
                            const RemovableLookup &isRemovable);

// The storage kind of the existing `path` on this machine, from /proc/self/mountinfo and
// /sys/block/*/removable.
StorageKind StorageKindOf(const QString &path);
