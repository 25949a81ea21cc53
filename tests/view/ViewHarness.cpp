#include "ViewHarness.h"

#include <gtest/gtest.h>

#include <QTest>

ViewHarness::ViewHarness(int clientWidth, int clientHeight) : window_(new QMainWindow) {
    auto *central = new QWidget;
    window_->setCentralWidget(central);
    view_ = new PictureView(browser_, prompter_, central);
    const int frame = view_->frameWidth();
    view_->setGeometry(0, 0, clientWidth + 2 * frame, clientHeight + 2 * frame);
    tree_ = new FolderTree(state_, central);
    tree_->setGeometry(clientWidth + 2 * frame + 10, 0, 200, 300);
    QObject::connect(tree_, &FolderTree::folderSelected, &browser_, [this](const QString &folder) {
        treeSelections_.push_back(folder);
        browser_.ShowFolder(folder);
    });
    QObject::connect(&browser_, &PictureBrowser::groupEntered, tree_, &FolderTree::SelectSibling);
    QObject::connect(tree_, &FolderTree::refreshing, &browser_, &PictureBrowser::Forget);
    window_->resize(clientWidth + 2 * frame + 240, clientHeight + 2 * frame + 80);
    window_->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
}

ViewHarness::~ViewHarness() = default;

void ViewHarness::FillTree(const QString &root) {
    state_.downloadRoot = root;
    browser_.SetRoot(root);
    tree_->RefreshFolderNode(nullptr, QString());
    treeSelections_.clear();
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
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
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
