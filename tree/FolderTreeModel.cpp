#include "tree/FolderTreeModel.h"

#include <QFileInfo>
#include <QHash>
#include <algorithm>

#include "platform/DirectoryListing.h"
#include "platform/FileNames.h"
#include "platform/NameOrder.h"
#include "tree/SubFolderScan.h"

namespace {

// Long enough for a burst of changes (a download writing a folder) to be listed once.
constexpr int kChangeDelayMs = 150;

}  // namespace

struct FolderTreeModel::Node {
    QString name;
    bool hasSubFolders = false;  // the has-children flag
    bool textOnly = false;
    bool listed = false;
    Node *parent = nullptr;
    int row = 0;  // its place among its parent's children
    std::vector<std::unique_ptr<Node>> children;

    void Renumber(std::size_t from = 0) {
        for (std::size_t i = from; i < children.size(); ++i) children[i]->row = static_cast<int>(i);
    }
    // A child made from a listing or inserted by name, not yet in the children.
    std::unique_ptr<Node> NewChild(const QString &childName, bool childHasSubFolders,
                                   bool childTextOnly = false) {
        auto child = std::make_unique<Node>();
        child->name = childName;
        child->hasSubFolders = childHasSubFolders;
        child->textOnly = childTextOnly;
        child->parent = this;
        return child;
    }
    Node *Child(const QString &childName) const {
        for (const auto &child : children)
            if (child->name == childName) return child.get();
        return nullptr;
    }
};

FolderTreeModel::FolderTreeModel(QObject *parent)
    : QAbstractItemModel(parent), top_(std::make_unique<Node>()) {
    changeDelay_.setSingleShot(true);
    changeDelay_.setInterval(kChangeDelayMs);
    connect(&changeDelay_, &QTimer::timeout, this, &FolderTreeModel::ListChanged);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this](const QString &path) {
        changed_.insert(path);
        if (!changeDelay_.isActive()) changeDelay_.start();
    });
}

FolderTreeModel::~FolderTreeModel() = default;

void FolderTreeModel::SetRoot(const QString &root) {
    beginResetModel();
    for (const auto &node : top_->children) Unwatch(node.get());
    top_->children.clear();
    changed_.clear();
    root_ = root;
    top_->children.push_back(top_->NewChild(root, false, true));
    Fill(top_->children.front().get(), ScanSubFolders(root).value_or(std::vector<SubFolder>()));
    endResetModel();
}

FolderTreeModel::Node *FolderTreeModel::NodeOf(const QModelIndex &index) const {
    return index.isValid() ? static_cast<Node *>(index.internalPointer()) : top_.get();
}

FolderTreeModel::Node *FolderTreeModel::NodeAt(const QString &path) const {
    if (top_->children.empty()) return nullptr;
    Node *node = top_->children.front().get();
    if (path == node->name) return node;
    const QString prefix = JoinPath(node->name, QString());
    if (!path.startsWith(prefix) || path.size() == prefix.size()) return nullptr;
    for (const QString &name : path.mid(prefix.size()).split(u'/')) {
        node = node->Child(name);
        if (!node) return nullptr;
    }
    return node;
}

QModelIndex FolderTreeModel::IndexOfNode(const Node *node) const {
    return node && node != top_.get() ? createIndex(node->row, 0, node) : QModelIndex();
}

QString FolderTreeModel::PathOfNode(const Node *node) const {
    if (!node || node == top_.get()) return QString();
    if (node->parent == top_.get()) return node->name;
    return JoinPath(PathOfNode(node->parent), node->name);
}

QModelIndex FolderTreeModel::IndexOf(const QString &path) const {
    return IndexOfNode(NodeAt(path));
}

QString FolderTreeModel::PathOf(const QModelIndex &index) const {
    return index.isValid() ? PathOfNode(NodeOf(index)) : QString();
}

bool FolderTreeModel::IsListed(const QString &path) const {
    const Node *node = NodeAt(path);
    return node && node->listed;
}

void FolderTreeModel::Fill(Node *node, const std::vector<SubFolder> &subFolders) {
    node->listed = true;
    node->children.reserve(subFolders.size());
    for (const SubFolder &subFolder : subFolders)
        node->children.push_back(node->NewChild(subFolder.name, subFolder.hasSubFolders));
    node->Renumber();
    Watch(node);
}

void FolderTreeModel::Merge(Node *node) {
    const QModelIndex at = IndexOfNode(node);
    const auto scanned = ScanSubFolders(PathOfNode(node));
    const std::vector<SubFolder> fresh = scanned ? *scanned : std::vector<SubFolder>();
    const bool wasListed = node->listed;
    node->listed = true;

    QSet<QString> freshNames;
    for (const SubFolder &subFolder : fresh) freshNames.insert(subFolder.name);
    // The nodes of vanished folders go, a run of neighbours at a time.
    for (int last = static_cast<int>(node->children.size()) - 1; last >= 0;) {
        if (freshNames.contains(node->children[last]->name)) {
            --last;
            continue;
        }
        int first = last;
        while (first > 0 && !freshNames.contains(node->children[first - 1]->name)) --first;
        beginRemoveRows(at, first, last);
        for (int i = first; i <= last; ++i) Unwatch(node->children[i].get());
        node->children.erase(node->children.begin() + first, node->children.begin() + last + 1);
        node->Renumber(first);
        endRemoveRows();
        last = first - 1;
    }
    // Then each listed folder takes its place: kept nodes stay, new ones come in.
    QHash<QString, Node *> kept;
    kept.reserve(static_cast<qsizetype>(node->children.size()));
    for (const auto &child : node->children) kept.insert(child->name, child.get());
    std::vector<Node *> fresher;  // new folders without sub-folders: listed, so watched, at once
    for (int row = 0; row < static_cast<int>(fresh.size()); ++row) {
        const SubFolder &subFolder = fresh[row];
        Node *held = kept.value(subFolder.name);
        if (held && held->row != row) {  // another order of names than when it was listed
            beginMoveRows(at, held->row, held->row, at, row);
            auto moved = std::move(node->children[held->row]);
            node->children.erase(node->children.begin() + held->row);
            node->children.insert(node->children.begin() + row, std::move(moved));
            node->Renumber();
            endMoveRows();
        }
        if (held) {
            if (held->hasSubFolders != subFolder.hasSubFolders && !held->textOnly) {
                held->hasSubFolders = subFolder.hasSubFolders;
                const QModelIndex changed = IndexOfNode(held);
                emit dataChanged(changed, changed);
            }
            continue;
        }
        auto child = node->NewChild(subFolder.name, subFolder.hasSubFolders);
        if (wasListed && !child->hasSubFolders) fresher.push_back(child.get());
        beginInsertRows(at, row, row);
        node->children.insert(node->children.begin() + row, std::move(child));
        node->Renumber(row);
        endInsertRows();
    }
    Watch(node);
    for (Node *child : fresher) Merge(child);
}

QModelIndex FolderTreeModel::Insert(const QString &path) {
    if (Node *held = NodeAt(path)) return IndexOfNode(held);
    Node *parent = NodeAt(FolderOf(path));
    if (!parent || path == FolderOf(path)) return {};
    const QString name = FileNameOf(path);
    const NameOrder &order = UserNameOrder();
    const auto place =
        std::find_if(parent->children.begin(), parent->children.end(),
                     [&](const auto &child) { return order.Less(name, child->name); });
    const int row = static_cast<int>(place - parent->children.begin());
    auto node = parent->NewChild(name, false, true);
    Node *inserted = node.get();
    beginInsertRows(IndexOfNode(parent), row, row);
    parent->children.insert(parent->children.begin() + row, std::move(node));
    parent->Renumber(row);
    endInsertRows();
    return IndexOfNode(inserted);
}

void FolderTreeModel::ListAgain(const QString &path) {
    if (Node *node = NodeAt(path)) Merge(node);
}

void FolderTreeModel::ListAgainUnlessWatched(const QString &path) {
    const Node *node = NodeAt(path);
    if (node && node->listed && !IsWatched(path)) ListAgain(path);
}

void FolderTreeModel::Remove(const QString &path) {
    Node *node = NodeAt(path);
    if (!node) return;
    Node *parent = node->parent;
    const int row = node->row;
    beginRemoveRows(IndexOfNode(parent), row, row);
    Unwatch(node);
    parent->children.erase(parent->children.begin() + row);
    parent->Renumber(row);
    endRemoveRows();
}

void FolderTreeModel::Watch(Node *node) {
    const QString path = PathOfNode(node);
    if (watchesExhausted_ || path.isEmpty() || watched_.contains(path)) return;
    // A folder Qt cannot name (not UTF-8) is not asked for: it is listed again on request.
    if (!QFileInfo(path).isDir()) return;
    if (watcher_.addPath(path))
        watched_.insert(path);
    else
        watchesExhausted_ = true;
}

void FolderTreeModel::Unwatch(Node *node) {
    for (const auto &child : node->children) Unwatch(child.get());
    if (!node->listed) return;
    const QString path = PathOfNode(node);
    if (watched_.remove(path)) {
        watcher_.removePath(path);
        watchesExhausted_ = false;  // a watch was given back
    }
}

void FolderTreeModel::ListChanged() {
    // Parents first: a folder whose parent lost it needs no listing of its own.
    QStringList paths(changed_.begin(), changed_.end());
    changed_.clear();
    std::sort(paths.begin(), paths.end(),
              [](const QString &a, const QString &b) { return a.size() < b.size(); });
    // A folder removed and made again under its name lost its watch: it is asked for anew.
    const QStringList live = watcher_.directories();
    const QSet<QString> stillWatched(live.begin(), live.end());
    for (const QString &path : paths) {
        if (!stillWatched.contains(path)) watched_.remove(path);
        if (Node *node = NodeAt(path); node && node->listed) Merge(node);
    }
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex &parent) const {
    const Node *node = NodeOf(parent);
    if (column != 0 || row < 0 || row >= static_cast<int>(node->children.size())) return {};
    return createIndex(row, 0, node->children[static_cast<std::size_t>(row)].get());
}

QModelIndex FolderTreeModel::parent(const QModelIndex &child) const {
    return child.isValid() ? IndexOfNode(NodeOf(child)->parent) : QModelIndex();
}

int FolderTreeModel::rowCount(const QModelIndex &parent) const {
    return parent.column() > 0 ? 0 : static_cast<int>(NodeOf(parent)->children.size());
}

int FolderTreeModel::columnCount(const QModelIndex &) const { return 1; }

QVariant FolderTreeModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid()) return {};
    const Node *node = NodeOf(index);
    switch (role) {
        case Qt::DisplayRole:
            return DisplayName(node->name);
        case NameRole:
            return node->name;
        case PathRole:
            return PathOfNode(node);
        case TextOnlyRole:
            return node->textOnly;
        default:
            return {};
    }
}

Qt::ItemFlags FolderTreeModel::flags(const QModelIndex &index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

bool FolderTreeModel::hasChildren(const QModelIndex &parent) const {
    const Node *node = NodeOf(parent);
    return !node->children.empty() || (node->hasSubFolders && !node->listed);
}

bool FolderTreeModel::canFetchMore(const QModelIndex &parent) const {
    const Node *node = NodeOf(parent);
    return parent.isValid() && node->hasSubFolders && !node->listed;
}

void FolderTreeModel::fetchMore(const QModelIndex &parent) {
    if (!canFetchMore(parent)) return;
    Node *node = NodeOf(parent);
    const std::vector<SubFolder> subFolders =
        ScanSubFolders(PathOfNode(node)).value_or(std::vector<SubFolder>());
    if (subFolders.empty()) {  // the flag promised more than is there now
        Fill(node, subFolders);
        emit dataChanged(parent, parent);
        return;
    }
    beginInsertRows(parent, 0, static_cast<int>(subFolders.size()) - 1);
    Fill(node, subFolders);
    endInsertRows();
}
