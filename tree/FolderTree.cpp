#include "tree/FolderTree.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionViewItem>

#include "platform/DirectoryListing.h"
#include "platform/FileNames.h"
#include "platform/NameOrder.h"
#include "tree/FrameState.h"
#include "tree/SubFolderScan.h"

namespace {

constexpr int kIconSize = 16;
// A node's exact folder name (its bytes, escaped as DecodeFileName does); its text is what the
// user sees of it.
constexpr int kNodeNameRole = Qt::UserRole;

QTreeWidgetItem *NamedNode(const QString &name) {
    auto *node = new QTreeWidgetItem(QStringList{DisplayName(name)});
    node->setData(0, kNodeNameRole, name);
    return node;
}

bool IsRightButtonOnly(const QMouseEvent *event) {
    return event->button() == Qt::RightButton ||
           (event->button() == Qt::NoButton && event->buttons() == Qt::RightButton);
}

bool IsSameOrBelow(QTreeWidgetItem *item, const QTreeWidgetItem *ancestor) {
    for (; item; item = item->parent()) {
        if (item == ancestor) return true;
    }
    return false;
}

// The tree's popup menu.
void AddTreePopupItems(QMenu &menu) {
    const std::pair<const char16_t *, Command> items[] = {{u"刷新", Command::RefreshTreeFolder},
                                                          {u"删除", Command::DeleteTreeFolder}};
    for (const auto &[text, command] : items)
        menu.addAction(QString::fromUtf16(text))->setData(static_cast<int>(command));
}

}  // namespace

FolderTree::FolderTree(FrameState &state, QWidget *parent) : QTreeWidget(parent), state_(state) {
    setHeaderHidden(true);
    setColumnCount(1);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(kIconSize, kIconSize));

    const QPixmap closed = style()->standardIcon(QStyle::SP_DirClosedIcon).pixmap(kIconSize);
    const QPixmap open = style()->standardIcon(QStyle::SP_DirOpenIcon).pixmap(kIconSize);
    closedIcon_.addPixmap(closed, QIcon::Normal);
    closedIcon_.addPixmap(closed, QIcon::Selected);
    folderIcon_.addPixmap(closed, QIcon::Normal);
    folderIcon_.addPixmap(open, QIcon::Selected);

    runPopup_ = [](QMenu &menu, const QPoint &at) { return menu.exec(at); };
    connect(this, &QTreeWidget::itemExpanded, this, &FolderTree::FillOnExpand);
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *current) {
        if (current) emit folderSelected(GetNodePath(current));
    });
}

QString FolderTree::GetNodeText(QTreeWidgetItem *node) const {
    return node ? node->data(0, kNodeNameRole).toString() : QString();
}

QString FolderTree::GetNodePath(QTreeWidgetItem *node) const {
    if (!node) return QString();
    if (!node->parent()) return GetNodeText(node);
    return JoinPath(GetNodePath(node->parent()), GetNodeText(node));
}

QTreeWidgetItem *FolderTree::InsertFolderNode(const QString &text, QTreeWidgetItem *parent,
                                              NodePosition position) {
    QTreeWidgetItem *node = NamedNode(text);
    node->setIcon(0, closedIcon_);
    node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);

    QTreeWidgetItem *holder = parent ? parent : invisibleRootItem();
    const int count = holder->childCount();
    int index = position == NodePosition::First ? 0 : count;
    if (position == NodePosition::Sorted) {
        // Before the first sibling whose name comes after the new one.
        for (int i = 0; i < count && index == count; ++i)
            if (UserNameOrder().Less(text, GetNodeText(holder->child(i)))) index = i;
    }
    holder->insertChild(index, node);
    return node;
}

QTreeWidgetItem *FolderTree::NewFilledNode(const QString &name, bool hasChildren) const {
    QTreeWidgetItem *node = NamedNode(name);
    node->setIcon(0, folderIcon_);
    node->setChildIndicatorPolicy(hasChildren ? QTreeWidgetItem::ShowIndicator
                                              : QTreeWidgetItem::DontShowIndicatorWhenChildless);
    return node;
}

bool FolderTree::HasChildrenFlag(QTreeWidgetItem *node) const {
    return node && node->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator;
}

void FolderTree::FillFolderNode(QTreeWidgetItem *parent, const QString &refreshPath) {
    if (!parent) return;
    const QString folder = GetNodePath(parent);
    QTreeWidgetItem *selected = currentItem();
    const QString selectedText = GetNodeText(selected);
    const auto subFolders = ScanSubFolders(folder);
    if (!subFolders) return;

    // Nodes before the kept one go first, in order; those after it go last.
    QList<QTreeWidgetItem *> before;
    QList<QTreeWidgetItem *> after;
    bool keptMet = false;
    for (const SubFolder &subFolder : *subFolders) {
        if (!refreshPath.isEmpty() && selected && selected->parent() == parent &&
            subFolder.name == selectedText &&
            FolderOf(JoinPath(folder, subFolder.name)) == WithoutTrailingSlash(refreshPath)) {
            keptMet = true;
            continue;
        }
        (keptMet ? after : before).append(NewFilledNode(subFolder.name, subFolder.hasSubFolders));
    }
    parent->insertChildren(0, before);
    parent->addChildren(after);
}

void FolderTree::RefreshFolderNode(QTreeWidgetItem *node, const QString &nodePath) {
    emit refreshing();
    if (!node) {
        state_.popupNode = nullptr;
        state_.downloadNode = nullptr;
        clear();
        FillFolderNode(InsertFolderNode(state_.downloadRoot, nullptr, NodePosition::Last),
                       nodePath);
    } else {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        // A selection deep inside a child that goes moves up to the refreshed node once,
        // rather than wandering through every sibling as they are removed.
        QTreeWidgetItem *selected = currentItem();
        if (selected && selected != node && selected->parent() != node &&
            IsSameOrBelow(selected, node)) {
            setCurrentItem(node);
            selected = node;
        }
        if (node->indexOfChild(selected) < 0) {
            // Every child goes: in one step, rather than one model update per child.
            for (int i = 0; i < node->childCount(); ++i) ForgetNodesIn(node->child(i));
            qDeleteAll(node->takeChildren());
        } else {
            for (int i = 0; i < node->childCount();) {
                QTreeWidgetItem *child = node->child(i);
                if (child == selected)
                    ++i;
                else
                    RemoveFolderNode(child);
            }
        }
        FillFolderNode(node, nodePath);
        QGuiApplication::restoreOverrideCursor();
    }
    if (QTreeWidgetItem *root = RootNode()) expandItem(root);
    FindDownloadNodeAgain();
}

void FolderTree::RemoveFolderNode(QTreeWidgetItem *node) {
    if (!node) return;
    ForgetNodesIn(node);
    delete node;
}

void FolderTree::ForgetNodesIn(QTreeWidgetItem *node) {
    if (IsSameOrBelow(state_.popupNode, node)) state_.popupNode = nullptr;
    if (IsSameOrBelow(state_.downloadNode, node)) state_.downloadNode = nullptr;
}

// The dated folder of a download lies directly below the root: once its node went with a
// rebuild or a refresh, the freshly listed node of the same name takes its place.
void FolderTree::FindDownloadNodeAgain() {
    QTreeWidgetItem *root = RootNode();
    if (state_.downloadNode || state_.downloadFolder.isEmpty() || !root) return;
    if (FolderOf(state_.downloadFolder) != GetNodePath(root)) return;
    state_.downloadNode = ChildNamed(root, FileNameOf(state_.downloadFolder));
}

void FolderTree::SetDownloadRoot(const QString &root) {
    state_.downloadRoot = root;
    emit downloadRootChanged(root);
}

QTreeWidgetItem *FolderTree::ChildNamed(QTreeWidgetItem *parent, const QString &name) const {
    for (int i = 0; parent && i < parent->childCount(); ++i)
        if (GetNodeText(parent->child(i)) == name) return parent->child(i);
    return nullptr;
}

void FolderTree::ShowDownloadFolder(const QString &dateFolder, bool created) {
    QTreeWidgetItem *root = RootNode();
    const QString dateName = FileNameOf(dateFolder);
    state_.downloadNode = created && root ? InsertFolderNode(dateName, root, NodePosition::Sorted)
                                          : ChildNamed(root, dateName);
    state_.downloadFolder = dateFolder;
    RefreshFolderNode(state_.downloadNode,
                      state_.downloadNode ? GetNodePath(state_.downloadNode) : QString());
}

void FolderTree::RefreshDownloadFolder() {
    QTreeWidgetItem *root = RootNode();
    const QString dateName = FileNameOf(state_.downloadFolder);
    // Rebuilding the tree of another root at every tick would only collapse what the user opened.
    if (root && JoinPath(GetNodePath(root), dateName) != state_.downloadFolder) {
        state_.downloadNode = nullptr;
        return;
    }
    state_.downloadNode = ChildNamed(root, dateName);
    RefreshFolderNode(state_.downloadNode, state_.downloadFolder);
}

QTreeWidgetItem *FolderTree::RootNode() const { return topLevelItem(0); }

QTreeWidgetItem *FolderTree::FindNode(const QString &path) const {
    QTreeWidgetItem *node = RootNode();
    if (!node) return nullptr;
    const QString rootPath = GetNodePath(node);
    if (path == rootPath) return node;
    const QString prefix = JoinPath(rootPath, QString());
    if (!path.startsWith(prefix)) return nullptr;
    for (const QString &name : path.mid(prefix.size()).split(u'/')) {
        QTreeWidgetItem *child = nullptr;
        for (int i = 0; i < node->childCount() && !child; ++i)
            if (GetNodeText(node->child(i)) == name) child = node->child(i);
        if (!child) return nullptr;
        node = child;
    }
    return node;
}

void FolderTree::FillOnExpand(QTreeWidgetItem *node) {
    if (HasChildrenFlag(node) && node->childCount() == 0) FillFolderNode(node, QString());
}

void FolderTree::SelectSibling(int offset) {
    QTreeWidgetItem *selected = currentItem();
    QTreeWidgetItem *sibling = nullptr;
    if (selected) {
        QTreeWidgetItem *holder = selected->parent() ? selected->parent() : invisibleRootItem();
        const int index = holder->indexOfChild(selected) + offset;
        if (index >= 0 && index < holder->childCount()) sibling = holder->child(index);
    }
    const QSignalBlocker quiet(this);
    setCurrentItem(sibling);
}

bool FolderTree::IsOnLabel(QTreeWidgetItem *node, const QPoint &viewportPos) const {
    const QModelIndex index = indexFromItem(node);
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.index = index;
    option.text = node->text(0);
    option.icon = node->icon(0);
    option.features |= QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
    QRect label = style()->subElementRect(QStyle::SE_ItemViewItemText, &option, this);
    // The label is the text's own extent, not the rest of the row.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    label.setWidth(
        std::min(label.width(), fontMetrics().horizontalAdvance(option.text) + 2 * margin));
    return label.contains(viewportPos);
}

void FolderTree::OfferPopupMenu(const QPoint &globalPos) {
    const QPoint at = viewport()->mapFromGlobal(globalPos);
    QTreeWidgetItem *node = itemAt(at);
    if (!node || !IsOnLabel(node, at)) return;
    state_.popupNode = node;

    QMenu menu(this);
    AddTreePopupItems(menu);
    QAction *chosen = runPopup_ ? runPopup_(menu, globalPos) : nullptr;
    if (chosen && route_) route_(static_cast<Command>(chosen->data().toInt()));
}

void FolderTree::contextMenuEvent(QContextMenuEvent *event) {
    if (event->reason() == QContextMenuEvent::Mouse) OfferPopupMenu(event->globalPos());
    event->accept();
}

bool FolderTree::viewportEvent(QEvent *event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            if (IsRightButtonOnly(static_cast<QMouseEvent *>(event))) {
                event->accept();
                return true;
            }
            break;
        default:
            break;
    }
    return QTreeWidget::viewportEvent(event);
}
