#include "platform/DirectoryListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "platform/FileNames.h"

namespace {

bool MatchesJpg(const char *name) {
    const size_t length = strlen(name);
    return length >= 4 && strcasecmp(name + length - 4, ".jpg") == 0;
}

}  // namespace

FolderReader::FolderReader(const QString &path) {
    if (!path.isEmpty()) dir_ = ::opendir(EncodeFileName(path).constData());
}

FolderReader::FolderReader(int parent, const char *name) {
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    dir_ = ::fdopendir(fd);
    if (!dir_) ::close(fd);
}

FolderReader::~FolderReader() {
    if (dir_) ::closedir(dir_);
}

int FolderReader::fd() const { return dir_ ? ::dirfd(dir_) : -1; }

std::optional<FolderReader::Entry> FolderReader::Next() {
    const dirent *entry = dir_ ? ::readdir(dir_) : nullptr;
    if (!entry) return std::nullopt;
    bool isDirectory = entry->d_type == DT_DIR;
    if (entry->d_type == DT_UNKNOWN) {
        struct stat info {};
        isDirectory = ::fstatat(fd(), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                      S_ISDIR(info.st_mode);
    }
    return Entry{entry->d_name, isDirectory};
}

bool FolderReader::Entry::IsDotOrDotDot() const {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

std::optional<std::vector<DirEntry>> ListFolder(const QString &folder, ListPattern pattern) {
    FolderReader reader(folder);
    if (!reader.isOpen()) return std::nullopt;
    std::vector<DirEntry> entries;
    while (const auto entry = reader.Next()) {
        if (pattern == ListPattern::Jpg && !MatchesJpg(entry->name)) continue;
        entries.push_back({DecodeFileName(entry->name), entry->isDirectory});
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

QString FileNameOf(const QString &path) { return path.mid(path.lastIndexOf(u'/') + 1); }

bool IsPicturePath(const QString &path) {
    return path.endsWith(QStringLiteral(".jpg"), Qt::CaseSensitive);
}
