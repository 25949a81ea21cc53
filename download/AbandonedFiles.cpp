#include "download/AbandonedFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "download/TransferShutdown.h"
#include "platform/FileNames.h"

namespace {

using Folder = std::unique_ptr<DIR, int (*)(DIR *)>;

// The folder `name` inside the open folder `parent`, never through a link; null when it is none.
Folder OpenFolderAt(int parent, const char *name) {
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return Folder(nullptr, closedir);
    Folder folder(::fdopendir(fd), closedir);
    if (!folder) ::close(fd);
    return folder;
}

bool IsDotEntry(const char *name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Removes the file when its writer is gone: its process does not run and nobody holds its lock.
bool RemoveIfAbandoned(int folder, const char *name) {
    const auto owner = UnfinishedFileOwner(name);
    if (!owner || IsRunning(*owner)) return false;
    const int fd = ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    const bool removed = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                         ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlinkat(folder, name, 0) == 0;
    ::close(fd);
    return removed;
}

// Calls `visit` with every real sub-folder of `folder`.
template <typename Visit>
void ForEachSubFolder(DIR *folder, Visit visit) {
    while (const dirent *entry = ::readdir(folder)) {
        if (IsDotEntry(entry->d_name) || (entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN))
            continue;
        if (Folder sub = OpenFolderAt(::dirfd(folder), entry->d_name)) visit(sub.get());
    }
}

}  // namespace

int RemoveAbandonedFiles(const QString &root) {
    Folder top(::opendir(EncodeFileName(root).constData()), closedir);
    if (!top) return 0;
    int removed = 0;
    ForEachSubFolder(top.get(), [&](DIR *day) {
        ForEachSubFolder(day, [&](DIR *title) {
            while (const dirent *entry = ::readdir(title))
                if (entry->d_type == DT_REG || entry->d_type == DT_UNKNOWN)
                    removed += RemoveIfAbandoned(::dirfd(title), entry->d_name);
        });
    });
    return removed;
}
