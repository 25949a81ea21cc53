#include "tree/FolderRemoval.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/DirectoryListing.h"
#include "platform/FileNames.h"

namespace {

using Folder = std::unique_ptr<DIR, int (*)(DIR *)>;

// An open folder, read through its own descriptor.
Folder Adopt(int fd) {
    Folder folder(fd >= 0 ? ::fdopendir(fd) : nullptr, closedir);
    if (!folder && fd >= 0) ::close(fd);
    return folder;
}

int OpenFolderAt(int parent, const char *name) {
    return ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

bool IsDotEntry(const char *name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool IsRealFolder(int parent, const dirent *entry) {
    if (entry->d_type != DT_UNKNOWN) return entry->d_type == DT_DIR;
    struct stat info {};
    return ::fstatat(parent, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISDIR(info.st_mode);
}

class Remover {
public:
    Remover(const MountProbe &probe, MountIdentity mount) : probe_(probe), mount_(mount) {}

    // Whether every folder below `folder` is on the mount; nothing is changed.
    bool StaysOnMount(DIR *folder) const {
        while (const dirent *entry = ::readdir(folder)) {
            if (IsDotEntry(entry->d_name) || !IsRealFolder(::dirfd(folder), entry)) continue;
            Folder sub = Enter(::dirfd(folder), entry->d_name);
            if (!sub || !StaysOnMount(sub.get())) return false;
        }
        return true;
    }

    // Removes everything below `folder`; false when anything stays. The names are read before
    // any is removed: a listing that changes under readdir may skip entries.
    bool EmptyFolder(DIR *folder) const {
        const int parent = ::dirfd(folder);
        std::vector<std::pair<std::string, bool>> entries;  // name, is a folder
        while (const dirent *entry = ::readdir(folder))
            if (!IsDotEntry(entry->d_name))
                entries.emplace_back(entry->d_name, IsRealFolder(parent, entry));
        bool complete = true;
        for (const auto &[name, isFolder] : entries) {
            if (isFolder) {
                Folder sub = Enter(parent, name.c_str());
                if (!sub || !EmptyFolder(sub.get())) {
                    complete = false;
                    continue;
                }
            }
            if (::unlinkat(parent, name.c_str(), isFolder ? AT_REMOVEDIR : 0) != 0)
                complete = false;
        }
        return complete;
    }

private:
    // The sub-folder, opened only when it is on the mount.
    Folder Enter(int parent, const char *name) const {
        Folder sub = Adopt(OpenFolderAt(parent, name));
        if (sub && probe_(::dirfd(sub.get())) != mount_) sub.reset();
        return sub;
    }

    const MountProbe &probe_;
    MountIdentity mount_;
};

}  // namespace

bool RemoveFolderTree(const QString &path, const MountProbe &probe) {
    const QString cleanPath = WithoutTrailingSlash(path);
    if (cleanPath.isEmpty() || cleanPath == QStringLiteral("/")) return false;
    const QByteArray name = EncodeFileName(FileNameOf(cleanPath));
    const QString parentPath = cleanPath.contains(u'/') ? FolderOf(cleanPath) : QStringLiteral(".");
    const Folder parentFolder = Adopt(::open(EncodeFileName(parentPath).constData(),
                                             O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!parentFolder) return false;
    const int parent = ::dirfd(parentFolder.get());

    struct stat info {};
    if (::fstatat(parent, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0) return false;
    if (!S_ISDIR(info.st_mode)) return ::unlinkat(parent, name.constData(), 0) == 0;

    // The folder must sit on its parent's mount: a mount point is another file system's root.
    Folder scan = Adopt(OpenFolderAt(parent, name.constData()));
    const auto mount = scan ? probe(::dirfd(scan.get())) : std::nullopt;
    if (!mount || probe(parent) != mount) return false;
    const Remover remover(probe, *mount);
    if (!remover.StaysOnMount(scan.get())) return false;

    Folder top = Adopt(OpenFolderAt(parent, name.constData()));
    if (!top || probe(::dirfd(top.get())) != mount || !remover.EmptyFolder(top.get())) return false;
    return ::unlinkat(parent, name.constData(), AT_REMOVEDIR) == 0;
}
