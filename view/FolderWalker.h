#pragma once

#include <QString>

#include "platform/DirectoryListing.h"

// The pictures beside a picture in its folder's "*.jpg" listing, in name order.
struct Neighbours {
    QString previous;  // the entry listed just before; empty for the first
    QString next;      // the picture listed just after (a sub-folder is stepped over); or empty
};

// Finds a picture's neighbours and the sibling groups (folders) of its folder, in name order.
// It keeps the listings of the folders it walked and reads a folder again only when it changed.
class FolderWalker {
public:
    // Neighbours of `path`; both empty when it is not a picture path or its folder lists
    // nothing. A picture missing from the listing has the folder's last entry as previous and
    // no next.
    Neighbours FindNeighbours(const QString &path);
    // The last picture of the folder listed before the picture's folder, that folder itself when
    // it holds no picture, or empty when there is no previous folder.
    QString PreviousGroup(const QString &path);
    // The first picture of the folder listed after the picture's folder, that folder itself when
    // it holds no picture, or empty when there is no next folder.
    QString NextGroup(const QString &path);
    // The first "*.jpg" entry of `folder` when it is no folder itself; else empty.
    QString FirstPicture(const QString &folder);
    // The first or last picture file of `folder`; empty when it has none.
    QString EndPicture(const QString &folder, bool last);
    // The picture's number among its folder's picture files, counted from 1, and their count;
    // a number of 0 when it is not among them.
    struct Place {
        int number = 0;
        int count = 0;
    };
    Place PlaceOf(const QString &path);
    // Reads every folder again at its next use.
    void Forget() { listings_.Forget(); }

private:
    FolderListingCache listings_;
};
