#pragma once

#include <QIcon>
#include <QString>
#include <QTreeWidget>
#include <functional>

struct FrameState;
class QMenu;

#include "resources/Commands.h"

// Where InsertFolderNode puts a node among its parent's children.
enum class NodePosition { First, Last, Sorted };

// The folder tree: the download root and its sub-folders, filled lazily from the file system.
// A node holds only its text (the folder name; the root node holds the whole root path), its
// icons and its has-children flag (the child-indicator policy); paths are rebuilt from the
// texts. Whenever a node leaves the tree, the frame's popupNode and downloadNode are cleared if
// they named it or anything below it. The tree knows nothing of the picture view: it says which
// folder was selected, and the frame shows it.
class FolderTree : public QTreeWidget {
    Q_OBJECT
public:
    FolderTree(FrameState &state, QWidget *parent = nullptr);

    // Commands of the tree's popup menu go here (the frame's routing).
    void SetCommandRouter(std::function<void(Command)> route) { route_ = std::move(route); }
    // Shows the popup menu at a screen position and returns the chosen action, or null. The
    // default runs the menu modally.
    void SetPopupRunner(std::function<QAction *(QMenu &, const QPoint &)> run) {
        runPopup_ = std::move(run);
    }
    FrameState &state() { return state_; }

    QString GetNodeText(QTreeWidgetItem *node) const;
    QString GetNodePath(QTreeWidgetItem *node) const;
    // A text-only node (closed-folder icon, no has-children flag); `parent` none makes a
    // top-level node.
    QTreeWidgetItem *InsertFolderNode(const QString &text, QTreeWidgetItem *parent,
                                      NodePosition position);
    // One node per listable sub-folder of the parent's folder, in name order. With a
    // `refreshPath`, the selected child of `parent` named like an entry stays in its place.
    void FillFolderNode(QTreeWidgetItem *parent, const QString &refreshPath);
    // Rebuilds the whole tree from the download root when `node` is none, else the children of
    // `node` (keeping its selected child); then expands the root node.
    void RefreshFolderNode(QTreeWidgetItem *node, const QString &nodePath);
    // Removes `node` with its subtree.
    void RemoveFolderNode(QTreeWidgetItem *node);
    // Makes `root` the download root (the state's downloadRoot) and says so; the tree is not
    // rebuilt here.
    void SetDownloadRoot(const QString &root);
    // The dated folder of a download, `created` just now or found there: inserted below the root
    // in its sorted place when created, else its node looked up by name; then listed again. It
    // becomes the state's downloadFolder and downloadNode.
    void ShowDownloadFolder(const QString &dateFolder, bool created);
    // Lists the download's folder again, its node found afresh by its name below the root (a
    // rebuild may have replaced it); without one the whole tree is rebuilt. When another root
    // was chosen meanwhile the tree shows nothing of the download and stays as the user left it.
    void RefreshDownloadFolder();
    QTreeWidgetItem *RootNode() const;
    // The node whose GetNodePath is `path`, or none when the tree holds no such node.
    QTreeWidgetItem *FindNode(const QString &path) const;
    bool HasChildrenFlag(QTreeWidgetItem *node) const;

    // Selects the sibling `offset` places before or after the selected node (none when there is
    // no such sibling) without announcing the selection: a group step shows its own picture.
    void SelectSibling(int offset);

    // A node opens: its sub-folders are read the first time.
    void FillOnExpand(QTreeWidgetItem *node);
    // A right click at a screen position: on a node's label, remembers the node as popupNode
    // and offers the popup menu; the chosen command goes to the frame.
    void OfferPopupMenu(const QPoint &globalPos);

signals:
    // The selection moved to the node of `folder`.
    void folderSelected(const QString &folder);
    // The tree is about to list folders again: pictures decoded ahead may be gone or changed.
    void refreshing();
    void downloadRootChanged(const QString &root);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    // The right button never selects: it only opens the popup menu.
    bool viewportEvent(QEvent *event) override;

private:
    QTreeWidgetItem *NewFilledNode(const QString &name, bool hasChildren) const;
    bool IsOnLabel(QTreeWidgetItem *node, const QPoint &viewportPos) const;
    void ForgetNodesIn(QTreeWidgetItem *node);
    void FindDownloadNodeAgain();

    // The child of `parent` named `name`, or none.
    QTreeWidgetItem *ChildNamed(QTreeWidgetItem *parent, const QString &name) const;

    FrameState &state_;
    std::function<void(Command)> route_;
    std::function<QAction *(QMenu &, const QPoint &)> runPopup_;
    QIcon closedIcon_;  // text-only nodes
    QIcon folderIcon_;  // filled nodes: closed, open when selected
};
