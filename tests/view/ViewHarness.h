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
#include "view/PictureBrowser.h"
#include "view/PictureView.h"

// The picture view on its browser in a window, beside a folder tree wired to them as the frame
// wires them: a selected folder shows in the view, a group step moves the tree's selection. The
// view's client area is `clientWidth` x `clientHeight`.
class ViewHarness {
public:
    explicit ViewHarness(int clientWidth = 400, int clientHeight = 300);
    ~ViewHarness();

    PictureBrowser &browser() { return browser_; }
    PictureView &view() { return *view_; }
    FolderTree &tree() { return *tree_; }
    ScriptedPrompter &prompter() { return prompter_; }
    // Folders the tree announced as selected, in order.
    const std::vector<QString> &treeSelections() const { return treeSelections_; }

    // Builds the tree from the download root `root`, which becomes the browser's root.
    void FillTree(const QString &root);
    // The node of `path`, its ancestors opened on the way; null when there is none.
    QTreeWidgetItem *Node(const QString &path) const;
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
    PictureBrowser browser_;
    std::unique_ptr<QMainWindow> window_;
    FrameState state_;
    FolderTree *tree_ = nullptr;
    PictureView *view_ = nullptr;
    std::vector<QString> treeSelections_;
};
