#pragma once

#include <QMainWindow>
#include <QPoint>
#include <QString>
#include <memory>
#include <vector>

#include "support/ScriptedPrompter.h"
#include "support/TestFolders.h"
#include "tree/FolderTree.h"
#include "tree/FrameState.h"
#include "view/CLumoraView.h"

class QAction;
class QTreeWidgetItem;

// The real view in a frame-like window: a menu whose "删除图片" item carries the frame menu's
// properties, and the program's folder tree beside it, whose selection loads the folder's first
// picture. The view's client area is `clientWidth` x `clientHeight`.
class ViewHarness {
public:
    explicit ViewHarness(int clientWidth = 400, int clientHeight = 300);
    ~ViewHarness();

    CLumoraView &view() { return *view_; }
    FolderTree &tree() { return *tree_; }
    ScriptedPrompter &prompter() { return prompter_; }
    QAction &deleteItem() { return *deleteItem_; }
    QString caption() const { return window_->windowTitle(); }
    // Paths the tree's selection handler loaded, in order.
    const std::vector<QString> &treeLoads() const { return treeLoads_; }

    // Builds the tree from the download root `root` and sets the view's root.
    void FillTree(const QString &root);
    // The node of `path`, its ancestors opened on the way; null when there is none.
    QTreeWidgetItem *Node(const QString &path) const;
    QString NodePath(const QTreeWidgetItem *node) const;

    // Moves the window onto the screen at `topLeft` and waits until it shows there.
    void MoveWindowTo(QPoint topLeft);

    // Mouse input at a point of the view's outer rectangle (its frame included).
    void MoveTo(QPoint outer);
    void ClickAt(QPoint outer);
    // The view's client area as shown on screen.
    QImage Grab();

private:
    QPoint ClientPoint(QPoint outer) const;

    ScriptedPrompter prompter_;
    std::unique_ptr<QMainWindow> window_;
    QAction *deleteItem_ = nullptr;
    FrameState state_;
    FolderTree *tree_ = nullptr;
    CLumoraView *view_ = nullptr;
    std::vector<QString> treeLoads_;
};

// Names that the file system lists in `folder` for `pattern`, "." and ".." left out.
std::vector<QString> ListedNames(const QString &folder, bool picturesOnly);
