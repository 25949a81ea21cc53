#include "view/FolderWalker.h"

#include <algorithm>

namespace {

// The folder a group step starts from: the picture's folder, or the path itself.
QString GroupFolderOf(const QString &path) { return IsPicturePath(path) ? FolderOf(path) : path; }

const DirEntry &EntryAt(const FolderListing &listing, int index) {
    return listing.entries()[static_cast<std::size_t>(index)];
}

const DirEntry &PictureAt(const FolderListing &listing, int rank) {
    return EntryAt(listing, listing.pictures()[static_cast<std::size_t>(rank)]);
}

}  // namespace

Neighbours FolderWalker::FindNeighbours(const QString &path) {
    Neighbours found;
    if (!IsPicturePath(path)) return found;
    const QString folder = FolderOf(path);
    const auto listing = listings_.Listing(folder);
    if (!listing || listing->pictures().empty()) return found;
    const int count = static_cast<int>(listing->pictures().size());
    const int at =
        JoinPath(folder, FileNameOf(path)) == path ? listing->PictureIndexOf(FileNameOf(path)) : -1;
    if (at < 0) {
        found.previous = JoinPath(folder, PictureAt(*listing, count - 1).name);
        return found;
    }
    if (at > 0) found.previous = JoinPath(folder, PictureAt(*listing, at - 1).name);
    int after = at + 1;
    if (after < count && PictureAt(*listing, after).isDirectory) ++after;
    if (after < count) {
        const QString candidate = JoinPath(folder, PictureAt(*listing, after).name);
        if (IsPicturePath(candidate)) found.next = candidate;
    }
    return found;
}

QString FolderWalker::PreviousGroup(const QString &path) {
    const QString current = GroupFolderOf(path);
    const QString parent = FolderOf(current);
    const auto listing = listings_.Listing(parent);
    if (!listing || listing->subFolders().empty()) return QString();
    const std::vector<int> &folders = listing->subFolders();
    // The sub-folder before the current one; the last one when the current one is gone.
    const int at = JoinPath(parent, FileNameOf(current)) == current
                       ? listing->IndexOf(FileNameOf(current))
                       : -1;
    const auto listed = std::lower_bound(folders.begin(), folders.end(), at);
    const auto later = listed != folders.end() && *listed == at ? listed : folders.end();
    if (later == folders.begin()) return QString();  // the first group
    const QString group = JoinPath(parent, EntryAt(*listing, *(later - 1)).name);

    const auto pictures = listings_.Listing(group);
    QString last = group;
    for (int rank = 0; pictures && rank < static_cast<int>(pictures->pictures().size()); ++rank) {
        const DirEntry &entry = PictureAt(*pictures, rank);
        if (entry.isDirectory) break;
        last = JoinPath(group, entry.name);
    }
    return last;
}

QString FolderWalker::NextGroup(const QString &path) {
    const QString current = GroupFolderOf(path);
    const QString parent = FolderOf(current);
    const auto listing = listings_.Listing(parent);
    if (!listing || JoinPath(parent, FileNameOf(current)) != current) return QString();
    const int at = listing->IndexOf(FileNameOf(current));
    if (at < 0) return QString();
    const std::vector<int> &folders = listing->subFolders();
    const auto next = std::upper_bound(folders.begin(), folders.end(), at);
    if (next == folders.end()) return QString();
    const QString group = JoinPath(parent, EntryAt(*listing, *next).name);
    const auto pictures = listings_.Listing(group);
    if (!pictures || pictures->pictures().empty()) return group;
    return JoinPath(group, PictureAt(*pictures, 0).name);
}

QString FolderWalker::FirstPicture(const QString &folder) {
    const auto listing = listings_.Listing(folder);
    if (!listing || listing->pictures().empty()) return QString();
    const DirEntry &first = PictureAt(*listing, 0);
    return first.isDirectory ? QString() : JoinPath(folder, first.name);
}

QString FolderWalker::EndPicture(const QString &folder, bool last) {
    const auto listing = listings_.Listing(folder);
    if (!listing || listing->pictureFiles().empty()) return QString();
    const int at = last ? listing->pictureFiles().back() : listing->pictureFiles().front();
    return JoinPath(folder, EntryAt(*listing, at).name);
}

FolderWalker::Place FolderWalker::PlaceOf(const QString &path) {
    const QString folder = FolderOf(path);
    const auto listing = listings_.Listing(folder);
    if (!listing || JoinPath(folder, FileNameOf(path)) != path) return {};
    return {listing->PictureFileNumber(FileNameOf(path)),
            static_cast<int>(listing->pictureFiles().size())};
}
