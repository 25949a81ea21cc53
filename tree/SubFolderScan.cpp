#include "tree/SubFolderScan.h"

#include "platform/DirectoryListing.h"
#include "platform/FileNames.h"
#include "platform/NameOrder.h"

namespace {

bool IsListableSubFolder(const FolderReader::Entry &entry) {
    return entry.isDirectory && !entry.IsDotOrDotDot();
}

// Opened relative to the parent's descriptor, so the path is not resolved again per entry.
bool HasListableSubFolder(int parent, const char *name) {
    FolderReader folder(parent, name);
    while (const auto entry = folder.Next())
        if (IsListableSubFolder(*entry)) return true;
    return false;
}

}  // namespace

std::optional<std::vector<SubFolder>> ScanSubFolders(const QString &folder) {
    FolderReader reader(folder);
    if (!reader.isOpen()) return std::nullopt;
    std::vector<QString> names;
    std::vector<bool> hasSubFolders;
    while (const auto entry = reader.Next()) {
        if (!IsListableSubFolder(*entry)) continue;
        names.push_back(DecodeFileName(entry->name));
        hasSubFolders.push_back(HasListableSubFolder(reader.fd(), entry->name));
    }
    std::vector<SubFolder> found;
    found.reserve(names.size());
    for (const std::size_t at : UserNameOrder().Sorted(names))
        found.push_back({std::move(names[at]), hasSubFolders[at]});
    return found;
}
