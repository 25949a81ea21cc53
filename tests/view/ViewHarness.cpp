#include "ViewHarness.h"

#include <QAction>
#include <QMenuBar>
#include <QTest>

#include "platform/DirectoryListing.h"
#include "resources/CommandIds.h"
#include "resources/MenuActions.h"
#include "tree/FolderTree.h"

std::vector<QString> ListedNames(const QString &folder, bool picturesOnly) {
    std::vector<QString> names;
    const auto entries = ListFolder(folder, picturesOnly ? ListPattern::Jpg : ListPattern::All);
    for (const DirEntry &entry : entries.value_or(std::vector<DirEntry>()))
        if (entry.name != QStringLiteral(".") && entry.name != QStringLiteral(".."))
            names.push_back(entry.name);
    return names;
}

ViewHarness::ViewHarness(int clientWidth, int clientHeight) : window_(new QMainWindow) {
    QMenu *edit = window_->menuBar()->addMenu(QStringLiteral("编辑"));
    deleteItem_ = edit->addAction(QStringLiteral("删除图片"));
    deleteItem_->setProperty(kCommandIdProperty, ID_EDIT_DELETE_PICTURE);
    deleteItem_->setProperty(kFrameMenuProperty, true);

    auto *central = new QWidget;
    window_->setCentralWidget(central);
    view_ = new CLumoraView(prompter_, central);
    const int frame = view_->frameWidth();
    view_->setGeometry(0, 0, clientWidth + 2 * frame, clientHeight + 2 * frame);
    tree_ = new FolderTree(state_, central);
    tree_->setGeometry(clientWidth + 2 * frame + 10, 0, 200, 300);
    view_->m_pTree = tree_;
    QObject::connect(tree_, &FolderTree::refreshing, view_, &CLumoraView::ForgetPreloaded);
    // The tree's own selection handler loads the folder's first picture; the loads are recorded.
    tree_->SetPathLoader([this](const QString &path) {
        treeLoads_.push_back(path);
        view_->LoadPath(path);
    });
    window_->resize(clientWidth + 2 * frame + 240, clientHeight + 2 * frame + 80);
    window_->show();
    QTest::qWaitForWindowExposed(window_.get());
}

ViewHarness::~ViewHarness() = default;

void ViewHarness::FillTree(const QString &root) {
    state_.downloadRoot = root;
    view_->m_strRoot = root;
    tree_->RefreshFolderNode(nullptr, QString());
    treeLoads_.clear();
}

QString ViewHarness::NodePath(const QTreeWidgetItem *node) const {
    return tree_->GetNodePath(const_cast<QTreeWidgetItem *>(node));
}

QTreeWidgetItem *ViewHarness::Node(const QString &path) const {
    // Down from the root, opening each node on the way, as the user would.
    QTreeWidgetItem *node = tree_->RootNode();
    while (node && tree_->GetNodePath(node) != path) {
        tree_->expandItem(node);
        QTreeWidgetItem *next = nullptr;
        for (int i = 0; i < node->childCount() && !next; ++i) {
            const QString childPath = tree_->GetNodePath(node->child(i));
            if (path == childPath || path.startsWith(childPath + u'/')) next = node->child(i);
        }
        node = next;
    }
    return node;
}

void ViewHarness::MoveWindowTo(QPoint topLeft) {
    window_->move(topLeft);
    QTest::qWaitForWindowExposed(window_.get());
    QCoreApplication::processEvents();
}

QPoint ViewHarness::ClientPoint(QPoint outer) const {
    return view_->viewport()->mapFromGlobal(view_->mapToGlobal(outer));
}

void ViewHarness::MoveTo(QPoint outer) { QTest::mouseMove(view_->viewport(), ClientPoint(outer)); }

void ViewHarness::ClickAt(QPoint outer) {
    QTest::mouseClick(view_->viewport(), Qt::LeftButton, Qt::NoModifier, ClientPoint(outer));
}

QImage ViewHarness::Grab() {
    return view_->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}
