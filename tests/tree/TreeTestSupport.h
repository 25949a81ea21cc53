#pragma once

#include <QStringList>
#include <QTreeWidgetItem>

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
