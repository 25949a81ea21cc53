#pragma once

#include <QString>

// Removes the unfinished files that transfers of processes no longer running left in the title
// folders below `root` (<root>/<date>/<title>/): a process killed outright removes nothing
// itself. A file whose process still runs, or that somebody holds locked, stays. Links are never
// followed. Returns the number of files removed.
int RemoveAbandonedFiles(const QString &root);
