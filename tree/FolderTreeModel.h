#pragma once

#include <QAbstractItemModel>
#include <QFileSystemWatcher>
#include <QSet>
#include <QString>
#include <QTimer>
#include <memory>
#include <vector>

#include "tree/SubFolderScan.h"

// The download root and its sub-folders, filled lazily from the file system one level at a time
// and addressed by paths. A node holds its folder's exact name (its bytes, escaped as
// DecodeFileName does; the root node holds the whole root path), whether the folder held a
// listable sub-folder when it was scanned (its has-children flag), and whether it was made from
// a listing or only inserted by name (text only). Every listed folder is watched: what another
// program creates, removes or renames below it is listed again within a moment, in its sorted
// place, the nodes that stay keeping their children (and so the views their expansion and
// selection). Without a watch (the system's limit reached) a folder is listed again on request.
class FolderTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Role {
        NameRole = Qt::UserRole,  // the exact folder name
        PathRole,                 // the folder's whole path
        TextOnlyRole,             // made by name, not by a listing: the root and inserted nodes
    };

    explicit FolderTreeModel(QObject *parent = nullptr);
    ~FolderTreeModel() override;

    // Rebuilds the model from `root`: one root node, its sub-folders listed.
    void SetRoot(const QString &root);
    const QString &root() const { return root_; }

    // The node of `path`, or an invalid index when the model holds none.
    QModelIndex IndexOf(const QString &path) const;
    QString PathOf(const QModelIndex &index) const;

    // A text-only node for the folder `path` below a node the model holds, in its sorted place;
    // the folder's node when it is already there. Invalid without a parent node.
    QModelIndex Insert(const QString &path);
    // Lists the node's folder again: nodes of vanished folders go, new folders come in their
    // sorted place, the others stay as they are. A folder that cannot be listed has no children.
    void ListAgain(const QString &path);
    // ListAgain, unless a watch keeps the node's listing current anyway.
    void ListAgainUnlessWatched(const QString &path);
    // Removes the node of `path` with everything below it.
    void Remove(const QString &path);
    // Whether the node of `path` was listed (filled), and whether a watch follows it.
    bool IsListed(const QString &path) const;
    bool IsWatched(const QString &path) const { return watched_.contains(path); }

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

private:
    struct Node;

    Node *NodeOf(const QModelIndex &index) const;
    Node *NodeAt(const QString &path) const;
    QModelIndex IndexOfNode(const Node *node) const;
    QString PathOfNode(const Node *node) const;
    // Fills a node that has never been listed.
    void Fill(Node *node, const std::vector<SubFolder> &subFolders);
    void Merge(Node *node);
    void Watch(Node *node);
    void Unwatch(Node *node);
    void ListChanged();

    std::unique_ptr<Node> top_;  // holds the root node
    QString root_;
    QFileSystemWatcher watcher_;
    QSet<QString> watched_;
    bool watchesExhausted_ = false;  // the system refused a watch: none is asked for meanwhile
    QSet<QString> changed_;          // watched folders that changed since the last listing
    QTimer changeDelay_;             // lists the changes of a burst once
};
