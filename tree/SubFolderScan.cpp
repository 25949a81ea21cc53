#include "tree/SubFolderScan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <memory>

#include "platform/FileNames.h"

namespace {

using DirHandle = std::unique_ptr<DIR, int (*)(DIR *)>;

bool IsDotOrDotDot(const char *name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool IsListableSubFolder(int dirFd, const dirent *entry) {
    if (IsDotOrDotDot(entry->d_name)) return false;
    if (entry->d_type != DT_UNKNOWN) return entry->d_type == DT_DIR;
    struct stat info {};
    return fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode);
}

// Opened relative to the parent's descriptor, so the path is not resolved again per entry.
bool HasListableSubFolder(int parentFd, const char *name) {
    const int fd = openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    DirHandle dir(fdopendir(fd), closedir);
    if (!dir) {
        close(fd);
        return false;
    }
    while (const dirent *entry = readdir(dir.get())) {
        if (IsListableSubFolder(fd, entry)) return true;
    }
    return false;
}

}  // namespace

std::optional<std::vector<SubFolder>> ScanSubFolders(const QString &folder) {
    if (folder.isEmpty()) return std::nullopt;
    DirHandle dir(opendir(EncodeFileName(folder).constData()), closedir);
    if (!dir) return std::nullopt;
    const int fd = dirfd(dir.get());
    std::vector<SubFolder> found;
    while (const dirent *entry = readdir(dir.get())) {
        if (!IsListableSubFolder(fd, entry)) continue;
        found.push_back(
            {DecodeFileName(entry->d_name), HasListableSubFolder(fd, entry->d_name)});
    }
    return found;
}
