#pragma once

#include <dirent.h>

#include <QString>
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

// Folder listings in the order the file system returns them (readdir order, never sorted),
// "." and ".." included as the file system gives them.
enum class ListPattern {
    All,  // "*" and "*.*": every name
    Jpg,  // "*.jpg": the extension matched case-insensitively
};

struct DirEntry {
    QString name;
    bool isDirectory = false;  // a real directory; a symbolic link never counts as one
};

// nullopt when the folder cannot be opened (missing, not a folder, no access).
std::optional<std::vector<DirEntry>> ListFolder(const QString &folder, ListPattern pattern);

// The folder and the name joined with "/", added only when the folder does not end in one.
QString JoinPath(const QString &folder, const QString &name);

// The text before the last "/" ("/" for a path directly below the root); a path without one
// is its own folder.
QString FolderOf(const QString &path);

// The path without trailing "/" characters; the file-system root stays "/".
QString WithoutTrailingSlash(QString path);

// The text after the last "/"; the whole path when it has none.
QString FileNameOf(const QString &path);

// A picture path ends in ".jpg", compared case-sensitively.
bool IsPicturePath(const QString &path);
