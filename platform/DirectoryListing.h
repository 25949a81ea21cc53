#pragma once

#include <dirent.h>
#include <sys/types.h>

#include <QHash>
#include <QString>
#include <ctime>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

// The one loop over a folder's entries: an open folder read in readdir order, "." and ".."
// included. A symbolic link never counts as a directory. The folder closes with the reader.
class FolderReader {
public:
    struct Entry {
        const char *name;  // valid until the next call of Next
        bool isDirectory;
        bool IsDotOrDotDot() const;
    };

    // The folder at `path` (links on the way followed, as any path).
    explicit FolderReader(const QString &path);
    // The folder `name` inside the open folder `parent`, never through a link.
    FolderReader(int parent, const char *name);
    ~FolderReader();
    FolderReader(const FolderReader &) = delete;
    FolderReader &operator=(const FolderReader &) = delete;

    bool isOpen() const { return dir_ != nullptr; }
    int fd() const;  // -1 when not open
    std::optional<Entry> Next();

private:
    DIR *dir_ = nullptr;
};

// Folder listings in name order (NameOrder of the user's locale), "." and ".." first.
enum class ListPattern {
    All,  // "*" and "*.*": every name
    Jpg,  // "*.jpg": names ending in ".jpg" or ".jpeg", in any letter case
};

struct DirEntry {
    QString name;
    bool isDirectory = false;  // a real directory; a symbolic link never counts as one
};

// nullopt when the folder cannot be opened (missing, not a folder, no access).
std::optional<std::vector<DirEntry>> ListFolder(const QString &folder, ListPattern pattern);

// Whether `name` matches "*.jpg": it ends in ".jpg" or ".jpeg", in any letter case.
bool MatchesJpg(const QString &name);

// A folder's entries in name order as read at one moment, with the lookups that stepping needs.
class FolderListing {
public:
    explicit FolderListing(std::vector<DirEntry> entries);

    const std::vector<DirEntry> &entries() const { return entries_; }
    // The entries that "*.jpg" lists, and the listable sub-folders (real folders other than "."
    // and ".."), as positions in entries().
    const std::vector<int> &pictures() const { return pictures_; }
    const std::vector<int> &subFolders() const { return subFolders_; }
    // The position of `name` in entries(), or -1.
    int IndexOf(const QString &name) const { return index_.value(name, -1); }
    // The position of `name` in pictures(), or -1.
    int PictureIndexOf(const QString &name) const;
    // The pictures that are files (no folder named like one), as positions in entries(), and
    // the number of `name` among them, counted from 1; 0 when it is none of them.
    const std::vector<int> &pictureFiles() const { return pictureFiles_; }
    int PictureFileNumber(const QString &name) const;

private:
    std::vector<DirEntry> entries_;
    std::vector<int> pictures_;
    std::vector<int> pictureFiles_;
    std::vector<int> subFolders_;
    std::vector<int> pictureRank_;  // per entry: its position in pictures_, or -1
    QHash<QString, int> index_;
};

// The listings of the folders in use. A kept listing is handed out again while its folder shows
// no change: the same folder (device and inode) with the same modification and change times. A
// listing read while its folder's modification time was so recent that a change in the same
// clock tick would not move it is read again at its next use.
class FolderListingCache {
public:
    // The listing of `folder`; null when it cannot be opened.
    std::shared_ptr<const FolderListing> Listing(const QString &folder);
    // Drops every kept listing.
    void Forget();

private:
    struct FolderStamp {
        dev_t device = 0;
        ino_t inode = 0;
        timespec modified{};
        timespec changed{};
        bool operator==(const FolderStamp &other) const;
    };
    struct Kept {
        QString folder;
        FolderStamp stamp;
        bool settled = false;  // read well after its last change
        std::shared_ptr<const FolderListing> listing;
    };

    std::mutex mutex_;
    std::list<Kept> kept_;  // most recently used first
};

// The folder and the name joined with "/", added only when the folder does not end in one.
QString JoinPath(const QString &folder, const QString &name);

// The text before the last "/" ("/" for a path directly below the root); a path without one
// is its own folder.
QString FolderOf(const QString &path);

// The path without trailing "/" characters; the file-system root stays "/".
QString WithoutTrailingSlash(QString path);

// The text after the last "/"; the whole path when it has none.
QString FileNameOf(const QString &path);

// A picture path is one whose name the "*.jpg" listing takes, so that every listed picture shows.
bool IsPicturePath(const QString &path);
