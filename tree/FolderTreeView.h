#pragma once

#include <QIcon>
#include <QPersistentModelIndex>
#include <QTreeView>
#include <functional>

#include "resources/Commands.h"

class FolderTreeModel;
class QMenu;

// Shows a FolderTreeModel: folder icons (open when a filled node is selected), the root node
// opened whenever the model is rebuilt, a right button that never selects, and the popup menu
// of a node's label. It holds no folder state of its own: the selection is its selection
// model's, and the chosen popup command is told, with the folder it was opened on.
class FolderTreeView : public QTreeView {
    Q_OBJECT
public:
    explicit FolderTreeView(QWidget *parent = nullptr);

    void SetFolderModel(FolderTreeModel *model);
    // Shows the popup menu at a screen position and returns the chosen action, or null. The
    // default runs the menu modally.
    void SetPopupRunner(std::function<QAction *(QMenu &, const QPoint &)> run) {
        runPopup_ = std::move(run);
    }
    // A right click at a screen position: on a node's label, the popup menu is offered, the node
    // marked meanwhile (the selection does not move).
    void OfferPopupMenu(const QPoint &globalPos);
    // The node the popup menu was opened on, while it and what it leads to run; else invalid.
    const QPersistentModelIndex &markedIndex() const { return marked_; }
    const QIcon &IconFor(const QModelIndex &index) const;

signals:
    // A popup command was chosen on the node of `folder`. Whatever it asks the user is asked
    // before this returns, the node still marked.
    void popupCommandChosen(Command command, const QString &folder);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool viewportEvent(QEvent *event) override;

private:
    bool IsOnLabel(const QModelIndex &index, const QPoint &viewportPos) const;

    std::function<QAction *(QMenu &, const QPoint &)> runPopup_;
    QPersistentModelIndex marked_;
    QIcon closedIcon_;  // text-only nodes
    QIcon folderIcon_;  // filled nodes: closed, open when selected
};
