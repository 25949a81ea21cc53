#pragma once

#include <QString>

// The pictures beside a picture in its folder's "*.jpg" listing, in the file system's order.
struct Neighbours {
    QString previous;  // the entry listed just before; empty for the first
    QString next;      // the picture listed just after (a sub-folder is stepped over); or empty
};

// Neighbours of `path`; both empty when it is not a picture path or its folder lists nothing.
// A picture missing from the listing has the folder's last entry as previous and no next.
Neighbours FindNeighbours(const QString &path);

// Finds the sibling groups (folders) of the folder that holds a picture. Stateless.
class FolderWalker {
public:
    // The last picture of the folder listed before the picture's folder, that folder itself when
    // it holds no picture, or empty when there is no previous folder.
    QString PreviousGroup(const QString &path) const;
    // The first picture of the folder listed after the picture's folder, that folder itself when
    // it holds no picture, or empty when there is no next folder.
    QString NextGroup(const QString &path) const;
};
