#include "download/AbandonedFiles.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/DirectoryListing.h"
#include "platform/TransferShutdown.h"

namespace {

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

// Calls `visit` with every real sub-folder of `folder`, opened.
template <typename Visit>
void ForEachSubFolder(FolderReader &folder, Visit visit) {
    while (const auto entry = folder.Next()) {
        if (!entry->isDirectory || entry->IsDotOrDotDot()) continue;
        FolderReader sub(folder.fd(), entry->name);
        if (sub.isOpen()) visit(sub);
    }
}

}  // namespace

int RemoveAbandonedFiles(const QString &root) {
    FolderReader top(root);
    int removed = 0;
    ForEachSubFolder(top, [&](FolderReader &day) {
        ForEachSubFolder(day, [&](FolderReader &title) {
            while (const auto entry = title.Next())
                if (!entry->isDirectory) removed += RemoveIfAbandoned(title.fd(), entry->name);
        });
    });
    return removed;
}
