#pragma once

#include <QStringList>
#include <QTreeWidgetItem>

#include "platform/DirectoryListing.h"

// Names of the real sub-folders of `folder` in the order the file system lists them.
inline QStringList SubFoldersInListingOrder(const QString &folder) {
    QStringList names;
    for (const DirEntry &entry :
         ListFolder(folder, ListPattern::All).value_or(std::vector<DirEntry>{}))
        if (entry.isDirectory && entry.name != "." && entry.name != "..") names << entry.name;
    return names;
}

inline QStringList ChildTexts(const QTreeWidgetItem *node) {
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i) texts << node->child(i)->text(0);
    return texts;
}

inline QTreeWidgetItem *ChildNamed(const QTreeWidgetItem *node, const QString &name) {
    for (int i = 0; i < node->childCount(); ++i)
        if (node->child(i)->text(0) == name) return node->child(i);
    return nullptr;
}
