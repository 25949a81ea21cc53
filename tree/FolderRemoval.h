#pragma once

#include <QString>

#include "platform/MountIdentity.h"

// Removes `path` and everything below it for good, within the mount that holds it. Symbolic
// links are removed as links, never followed, so nothing outside the folder is touched. Nothing
// at all is removed when the folder is a mount point or holds one, or any folder on another
// device: another file system's files are never the folder's. A folder mounted meanwhile is
// never entered either. False when the path did not exist or anything could not be removed (a
// partial removal is a failure too).
bool RemoveFolderTree(const QString &path, const MountProbe &probe = ProbeMount);
