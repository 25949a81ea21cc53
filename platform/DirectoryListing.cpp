#include "platform/DirectoryListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/FileNames.h"
#include "platform/NameOrder.h"

namespace {

constexpr std::size_t kKeptListings = 16;
// Longer than any clock tick of a file system's times (FAT keeps two seconds).
constexpr time_t kSettleSeconds = 3;

bool EndsWithCaseless(const char *name, size_t length, const char *suffix) {
    const size_t count = strlen(suffix);
    return length >= count && strcasecmp(name + length - count, suffix) == 0;
}

bool MatchesJpg(const char *name) {
    const size_t length = strlen(name);
    return EndsWithCaseless(name, length, ".jpg") || EndsWithCaseless(name, length, ".jpeg");
}

std::optional<std::vector<DirEntry>> ReadSorted(const QString &folder, ListPattern pattern) {
    FolderReader reader(folder);
    if (!reader.isOpen()) return std::nullopt;
    std::vector<QString> names;
    std::vector<bool> directories;
    while (const auto entry = reader.Next()) {
        if (pattern == ListPattern::Jpg && !MatchesJpg(entry->name)) continue;
        names.push_back(DecodeFileName(entry->name));
        directories.push_back(entry->isDirectory);
    }
    std::vector<DirEntry> entries;
    entries.reserve(names.size());
    for (const std::size_t at : UserNameOrder().Sorted(names))
        entries.push_back({std::move(names[at]), directories[at]});
    return entries;
}

bool Before(const timespec &a, const timespec &b) {
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
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
    return ReadSorted(folder, pattern);
}

bool MatchesJpg(const QString &name) {
    return name.endsWith(QStringLiteral(".jpg"), Qt::CaseInsensitive) ||
           name.endsWith(QStringLiteral(".jpeg"), Qt::CaseInsensitive);
}

FolderListing::FolderListing(std::vector<DirEntry> entries) : entries_(std::move(entries)) {
    const int count = static_cast<int>(entries_.size());
    pictureRank_.assign(entries_.size(), -1);
    index_.reserve(count);
    for (int i = 0; i < count; ++i) {
        const DirEntry &entry = entries_[static_cast<std::size_t>(i)];
        index_.insert(entry.name, i);
        if (MatchesJpg(entry.name)) {
            pictureRank_[static_cast<std::size_t>(i)] = static_cast<int>(pictures_.size());
            pictures_.push_back(i);
            if (!entry.isDirectory) pictureFiles_.push_back(i);
        }
        if (entry.isDirectory && entry.name != u"." && entry.name != u"..")
            subFolders_.push_back(i);
    }
}

int FolderListing::PictureIndexOf(const QString &name) const {
    const int at = IndexOf(name);
    return at < 0 ? -1 : pictureRank_[static_cast<std::size_t>(at)];
}

int FolderListing::PictureFileNumber(const QString &name) const {
    const int at = IndexOf(name);
    if (at < 0 || entries_[static_cast<std::size_t>(at)].isDirectory) return 0;
    const auto found = std::lower_bound(pictureFiles_.begin(), pictureFiles_.end(), at);
    return found != pictureFiles_.end() && *found == at
               ? static_cast<int>(found - pictureFiles_.begin()) + 1
               : 0;
}

bool FolderListingCache::FolderStamp::operator==(const FolderStamp &other) const {
    return device == other.device && inode == other.inode &&
           modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec &&
           changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
}

std::shared_ptr<const FolderListing> FolderListingCache::Listing(const QString &folder) {
    struct stat info {};
    if (folder.isEmpty() || ::stat(EncodeFileName(folder).constData(), &info) != 0 ||
        !S_ISDIR(info.st_mode))
        return nullptr;
    const FolderStamp stamp{info.st_dev, info.st_ino, info.st_mtim, info.st_ctim};

    std::lock_guard lock(mutex_);
    for (auto kept = kept_.begin(); kept != kept_.end(); ++kept) {
        if (kept->folder != folder) continue;
        if (kept->settled && kept->stamp == stamp) {
            kept_.splice(kept_.begin(), kept_, kept);
            return kept->listing;
        }
        kept_.erase(kept);
        break;
    }
    timespec readAt{};
    ::clock_gettime(CLOCK_REALTIME, &readAt);
    std::optional<std::vector<DirEntry>> entries = ReadSorted(folder, ListPattern::All);
    if (!entries) return nullptr;
    auto listing = std::make_shared<const FolderListing>(std::move(*entries));
    readAt.tv_sec -= kSettleSeconds;
    // Adding, removing or renaming an entry moves the modification time to the present.
    const bool settled = Before(stamp.modified, readAt);
    kept_.push_front({folder, stamp, settled, listing});
    if (kept_.size() > kKeptListings) kept_.pop_back();
    return listing;
}

void FolderListingCache::Forget() {
    std::lock_guard lock(mutex_);
    kept_.clear();
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

bool IsPicturePath(const QString &path) { return MatchesJpg(path); }
