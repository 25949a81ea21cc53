#include "tree/FolderRemoval.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/DirectoryListing.h"
#include "platform/FileNames.h"

namespace {

class Remover {
public:
    Remover(const MountProbe &probe, MountIdentity mount) : probe_(probe), mount_(mount) {}

    // Whether every folder below `folder` is on the mount; nothing is changed.
    bool StaysOnMount(FolderReader &folder) const {
        while (const auto entry = folder.Next()) {
            if (!entry->isDirectory || entry->IsDotOrDotDot()) continue;
            FolderReader sub(folder.fd(), entry->name);
            if (!IsOnMount(sub) || !StaysOnMount(sub)) return false;
        }
        return true;
    }

    // Removes everything below `folder`; false when anything stays. The names are read before
    // any is removed: a listing that changes under readdir may skip entries.
    bool EmptyFolder(FolderReader &folder) const {
        const int parent = folder.fd();
        std::vector<std::pair<std::string, bool>> entries;  // name, is a folder
        while (const auto entry = folder.Next())
            if (!entry->IsDotOrDotDot()) entries.emplace_back(entry->name, entry->isDirectory);
        bool complete = true;
        for (const auto &[name, isFolder] : entries) {
            if (isFolder) {
                FolderReader sub(parent, name.c_str());
                if (!IsOnMount(sub) || !EmptyFolder(sub)) {
                    complete = false;
                    continue;
                }
            }
            if (::unlinkat(parent, name.c_str(), isFolder ? AT_REMOVEDIR : 0) != 0)
                complete = false;
        }
        return complete;
    }

    // Whether the opened folder is on the mount: only then is it entered.
    bool IsOnMount(const FolderReader &folder) const {
        return folder.isOpen() && probe_(folder.fd()) == mount_;
    }

private:
    const MountProbe &probe_;
    MountIdentity mount_;
};

}  // namespace

bool RemoveFolderTree(const QString &path, const MountProbe &probe) {
    const QString cleanPath = WithoutTrailingSlash(path);
    if (cleanPath.isEmpty() || cleanPath == QStringLiteral("/")) return false;
    const QByteArray name = EncodeFileName(FileNameOf(cleanPath));
    const QString parentPath = cleanPath.contains(u'/') ? FolderOf(cleanPath) : QStringLiteral(".");
    const FolderReader parentFolder(parentPath);
    if (!parentFolder.isOpen()) return false;
    const int parent = parentFolder.fd();

    struct stat info {};
    if (::fstatat(parent, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0) return false;
    if (!S_ISDIR(info.st_mode)) return ::unlinkat(parent, name.constData(), 0) == 0;

    // The folder must sit on its parent's mount: a mount point is another file system's root.
    FolderReader scan(parent, name.constData());
    const auto mount = scan.isOpen() ? probe(scan.fd()) : std::nullopt;
    if (!mount || probe(parent) != mount) return false;
    const Remover remover(probe, *mount);
    if (!remover.StaysOnMount(scan)) return false;

    FolderReader top(parent, name.constData());
    if (!remover.IsOnMount(top) || !remover.EmptyFolder(top)) return false;
    return ::unlinkat(parent, name.constData(), AT_REMOVEDIR) == 0;
}
