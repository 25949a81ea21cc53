#pragma once

#include <QString>

// Removes `path` and everything below it for good. Symbolic links are removed as links, never
// followed, so nothing outside the folder is touched. False when the path did not exist or
// anything could not be removed (a partial removal is a failure too).
bool RemoveFolderTree(const QString &path);
