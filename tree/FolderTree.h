#pragma once

#include <QString>
#include <QTreeWidget>
#include <functional>

struct FrameState;
class CLumoraView;

// The folder tree: the download root and its sub-folders, filled lazily from the file system.
class FolderTree : public QTreeWidget {
    Q_OBJECT
public:
    FolderTree(FrameState &state, QWidget *parent = nullptr);

    void SetView(CLumoraView *view) { view_ = view; }
    // Commands of the tree's popup menu go here (the frame's routing).
    void SetCommandRouter(std::function<void(int)> route) { route_ = std::move(route); }

    QString GetNodeText(QTreeWidgetItem *node) const;
    QString GetNodePath(QTreeWidgetItem *node) const;
    void RefreshFolderNode(QTreeWidgetItem *node, const QString &nodePath);
    QTreeWidgetItem *RootNode() const;

private:
    FrameState &state_;
    CLumoraView *view_ = nullptr;
    std::function<void(int)> route_;
};
