#pragma once

#include <QString>
#include <functional>

#include "platform/StorageKind.h"

// What keeps a folder from being a download root, checked before anything is fetched into it:
// a message naming the folder and the reason, or empty when the folder will do. The same rule as
// the choice of a root: only a folder on a local fixed or removable disk, and one this process
// may write into.
QString DownloadRootProblem(const QString &root,
                            const std::function<StorageKind(const QString &)> &storageKind);
