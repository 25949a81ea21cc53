#include "platform/DirectoryListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>
#include <strings.h>
#include <memory>

#include "platform/FileNames.h"

namespace {

bool MatchesJpg(const char *name) {
    const size_t length = strlen(name);
    return length >= 4 && strcasecmp(name + length - 4, ".jpg") == 0;
}

bool IsRealDirectory(int dirFd, const dirent *entry) {
    if (entry->d_type != DT_UNKNOWN) return entry->d_type == DT_DIR;
    struct stat info {};
    return fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::optional<std::vector<DirEntry>> ListFolder(const QString &folder, ListPattern pattern) {
    if (folder.isEmpty()) return std::nullopt;
    std::unique_ptr<DIR, int (*)(DIR *)> dir(opendir(EncodeFileName(folder).constData()),
                                             closedir);
    if (!dir) return std::nullopt;
    std::vector<DirEntry> entries;
    while (const dirent *entry = readdir(dir.get())) {
        if (pattern == ListPattern::Jpg && !MatchesJpg(entry->d_name)) continue;
        entries.push_back({DecodeFileName(entry->d_name), IsRealDirectory(dirfd(dir.get()), entry)});
    }
    return entries;
}

QString JoinPath(const QString &folder, const QString &name) {
    if (folder.endsWith(u'/')) return folder + name;
    return folder + u'/' + name;
}

QString FolderOf(const QString &path) {
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0) return path;
    return slash == 0 ? QStringLiteral("/") : path.left(slash);  // the root keeps its "/"
}

QString WithoutTrailingSlash(QString path) {
    while (path.size() > 1 && path.endsWith(u'/')) path.chop(1);
    return path;
}

QString FileNameOf(const QString &path) {
    return path.mid(path.lastIndexOf(u'/') + 1);
}

bool IsPicturePath(const QString &path) {
    return path.endsWith(QStringLiteral(".jpg"), Qt::CaseSensitive);
}
