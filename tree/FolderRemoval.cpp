#include "tree/FolderRemoval.h"

#include <filesystem>
#include <system_error>

#include "platform/FileNames.h"

bool RemoveFolderTree(const QString &path) {
    if (path.isEmpty()) return false;
    const std::filesystem::path target(EncodeFileName(path).toStdString());
    std::error_code error;
    // remove_all reports a missing path as success; a folder that vanished is a failure here.
    if (!std::filesystem::exists(std::filesystem::symlink_status(target, error))) return false;
    std::filesystem::remove_all(target, error);
    return !error;
}
