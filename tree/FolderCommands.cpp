#include "tree/FolderCommands.h"

#include <QTreeWidgetItem>

#include "platform/Prompter.h"
#include "tree/FolderRemoval.h"
#include "tree/FolderTree.h"
#include "tree/FrameState.h"

namespace {

QTreeWidgetItem *NextSelection(QTreeWidgetItem *target) {
    QTreeWidgetItem *holder = target->parent();
    if (!holder) return nullptr;
    const int at = holder->indexOfChild(target);
    if (at + 1 < holder->childCount()) return holder->child(at + 1);
    if (at > 0) return holder->child(at - 1);
    return holder;
}

}  // namespace

void RefreshSelectedFolder(FolderTree &tree) {
    QTreeWidgetItem *node = tree.currentItem();
    tree.state().popupNode = node;
    tree.RefreshFolderNode(node, tree.GetNodePath(node));
}

void DeleteFolder(Command command, FolderTree &tree, Prompter &prompter, QWidget *owner,
                  bool downloadRunning) {
    FrameState &state = tree.state();
    if (command == Command::DeleteFolder) state.popupNode = tree.currentItem();
    QTreeWidgetItem *target = state.popupNode;
    // Without a node the path is empty: the question is asked, and nothing can be removed.
    const QString path = tree.GetNodePath(target);

    if (path == state.downloadRoot || (target && !target->parent())) {
        prompter.Tell(owner, QStringLiteral("不能删除根文件夹"));
        return;
    }
    if (path == state.downloadFolder && downloadRunning) {
        prompter.Tell(owner, QStringLiteral("正在下载图片到此文件夹中，请在下载完成后再删除"));
        return;
    }
    const Answer answer =
        prompter.ShowMessage(owner, {QStringLiteral("删除后将不可恢复，确认要删除吗？"),
                                     QStringLiteral("Lumora"), Buttons::YesNo, Icon::Question});
    if (answer != Answer::Yes) return;

    if (!RemoveFolderTree(path)) {
        prompter.Tell(owner, QStringLiteral("删除文件夹失败"));
        return;
    }
    // Found again by its path: a refresh while the question was open may have replaced the node.
    QTreeWidgetItem *node = tree.FindNode(path);
    if (!node) return;
    // Selecting first spares the view a load of whichever node the tree would pick itself.
    tree.setCurrentItem(NextSelection(node));
    tree.RemoveFolderNode(node);
}
