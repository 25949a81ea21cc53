#include "tree/FolderTree.h"

#include "app/FrameState.h"
#include "platform/DirectoryListing.h"
#include "view/CLumoraView.h"

FolderTree::FolderTree(FrameState &state, QWidget *parent) : QTreeWidget(parent), state_(state) {
    setHeaderHidden(true);
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *node) {
        if (view_ && node) view_->LoadPath(GetNodePath(node));
    });
}

QString FolderTree::GetNodeText(QTreeWidgetItem *node) const {
    return node ? node->text(0) : QString();
}

QString FolderTree::GetNodePath(QTreeWidgetItem *node) const {
    if (!node) return QString();
    if (!node->parent()) return GetNodeText(node);
    return JoinPath(GetNodePath(node->parent()), GetNodeText(node));
}

void FolderTree::RefreshFolderNode(QTreeWidgetItem *node, const QString &) {
    if (!node) {
        clear();
        addTopLevelItem(new QTreeWidgetItem(QStringList{state_.downloadRoot}));
    }
}

QTreeWidgetItem *FolderTree::RootNode() const { return topLevelItem(0); }
