#pragma once

#include <QString>
#include <optional>
#include <vector>

// A listable sub-folder: a real directory (never a symbolic link) other than "." and "..";
// hidden folders included.
struct SubFolder {
    QString name;
    bool hasSubFolders = false;  // it held a listable sub-folder when it was scanned
};

// The listable sub-folders of `folder` in name order (NameOrder of the user's locale), each with
// whether it holds a listable sub-folder of its own (that listing stops at the first one found).
// nullopt when `folder` cannot be opened; a sub-folder that cannot be opened has no sub-folders.
std::optional<std::vector<SubFolder>> ScanSubFolders(const QString &folder);
