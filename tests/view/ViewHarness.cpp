#include "ViewHarness.h"

#include <QAction>
#include <QMenuBar>
#include <QTest>
#include <QTreeWidget>

#include "app/CommandIds.h"
#include "app/MenuActions.h"
#include "platform/DirectoryListing.h"

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
    tree_ = new QTreeWidget(central);
    tree_->setGeometry(clientWidth + 2 * frame + 10, 0, 200, 300);
    view_->m_pTree = tree_;
    QObject::connect(tree_, &QTreeWidget::currentItemChanged, tree_, [this](QTreeWidgetItem *node) {
        if (!node) return;
        const QString folder = NodePath(node);
        const std::vector<QString> pictures = ListedNames(folder, true);
        const QString target = pictures.empty() ? folder : JoinPath(folder, pictures.front());
        treeLoads_.push_back(target);
        view_->LoadPath(target);
    });
    window_->resize(clientWidth + 2 * frame + 240, clientHeight + 2 * frame + 80);
    window_->show();
    QTest::qWaitForWindowExposed(window_.get());
}

ViewHarness::~ViewHarness() = default;

void ViewHarness::FillTree(const QString &root) {
    tree_->clear();
    auto *rootNode = new QTreeWidgetItem(tree_, {root});
    std::vector<QTreeWidgetItem *> pending = {rootNode};
    while (!pending.empty()) {
        QTreeWidgetItem *node = pending.back();
        pending.pop_back();
        const QString path = NodePath(node);
        for (const DirEntry &entry :
             ListFolder(path, ListPattern::All).value_or(std::vector<DirEntry>()))
            if (entry.isDirectory && entry.name != QStringLiteral(".") &&
                entry.name != QStringLiteral(".."))
                pending.push_back(new QTreeWidgetItem(node, {entry.name}));
    }
    view_->m_strRoot = root;
    treeLoads_.clear();
}

QString ViewHarness::NodePath(const QTreeWidgetItem *node) const {
    if (!node->parent()) return node->text(0);
    return JoinPath(NodePath(node->parent()), node->text(0));
}

QTreeWidgetItem *ViewHarness::Node(const QString &path) const {
    for (QTreeWidgetItemIterator it(tree_); *it; ++it)
        if (NodePath(*it) == path) return *it;
    return nullptr;
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
