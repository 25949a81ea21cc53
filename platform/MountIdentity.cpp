#include "platform/MountIdentity.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

std::optional<MountIdentity> ProbeMount(int fd) {
    struct statx info {};
    if (::statx(fd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_MNT_ID, &info) == 0)
        return MountIdentity{makedev(info.stx_dev_major, info.stx_dev_minor),
                             (info.stx_mask & STATX_MNT_ID) ? info.stx_mnt_id : 0};
    struct stat plain {};
    if (::fstat(fd, &plain) != 0) return std::nullopt;
    return MountIdentity{plain.st_dev, 0};
}
