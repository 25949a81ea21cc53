#include "view/FolderWalker.h"

#include <optional>
#include <vector>

#include "platform/DirectoryListing.h"

namespace {

// "." and ".." are never groups.
bool IsSubFolder(const DirEntry &entry) {
    return entry.isDirectory && entry.name != QStringLiteral(".") &&
           entry.name != QStringLiteral("..");
}

// The folder a group step starts from: the picture's folder, or the path itself.
QString GroupFolderOf(const QString &path) { return IsPicturePath(path) ? FolderOf(path) : path; }

std::vector<DirEntry> ListOrEmpty(const QString &folder, ListPattern pattern) {
    std::optional<std::vector<DirEntry>> entries = ListFolder(folder, pattern);
    return entries ? std::move(*entries) : std::vector<DirEntry>();
}

}  // namespace

Neighbours FindNeighbours(const QString &path) {
    Neighbours found;
    if (!IsPicturePath(path)) return found;
    const QString folder = FolderOf(path);
    const std::vector<DirEntry> entries = ListOrEmpty(folder, ListPattern::Jpg);
    for (size_t i = 0; i < entries.size(); ++i) {
        if (JoinPath(folder, entries[i].name) != path) {
            found.previous = JoinPath(folder, entries[i].name);
            continue;
        }
        size_t after = i + 1;
        if (after < entries.size() && entries[after].isDirectory) ++after;
        if (after < entries.size()) {
            const QString candidate = JoinPath(folder, entries[after].name);
            if (IsPicturePath(candidate)) found.next = candidate;
        }
        return found;
    }
    return found;
}

QString FolderWalker::PreviousGroup(const QString &path) const {
    const QString current = GroupFolderOf(path);
    const QString parent = FolderOf(current);
    const std::vector<DirEntry> entries = ListOrEmpty(parent, ListPattern::All);
    QString group;
    for (const DirEntry &entry : entries) {
        if (!IsSubFolder(entry)) continue;
        const QString full = JoinPath(parent, entry.name);
        if (full == current) break;
        group = full;
    }
    if (group.isEmpty()) return QString();  // the first group, or no sibling folder at all

    const std::vector<DirEntry> pictures = ListOrEmpty(group, ListPattern::Jpg);
    QString last = group;
    for (const DirEntry &entry : pictures) {
        if (entry.isDirectory) break;
        last = JoinPath(group, entry.name);
    }
    return last;
}

QString FolderWalker::NextGroup(const QString &path) const {
    const QString current = GroupFolderOf(path);
    const QString parent = FolderOf(current);
    const std::vector<DirEntry> entries = ListOrEmpty(parent, ListPattern::All);
    size_t i = 0;
    while (i < entries.size() && JoinPath(parent, entries[i].name) != current) ++i;
    if (i == entries.size()) return QString();
    for (++i; i < entries.size(); ++i) {
        if (!IsSubFolder(entries[i])) continue;
        const QString group = JoinPath(parent, entries[i].name);
        const std::vector<DirEntry> pictures = ListOrEmpty(group, ListPattern::Jpg);
        return pictures.empty() ? group : JoinPath(group, pictures.front().name);
    }
    return QString();
}
