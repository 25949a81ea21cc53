#include <gtest/gtest.h>

#include <QDir>
#include <QMenu>
#include <QTest>

#include "support/TestFolders.h"
#include "tree/FolderTreeModel.h"
#include "tree/FolderTreeView.h"

namespace {

class FolderTreeViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char *name : {"alpha/inner", "beta"}) folder.MakeFolder(QString("root/") + name);
        model.SetRoot(root);
        tree.SetFolderModel(&model);
        tree.resize(400, 300);
        tree.show();
        QObject::connect(&tree, &FolderTreeView::popupCommandChosen,
                         [this](Command command, const QString &path) {
                             chosen.emplace_back(command, path);
                             markedWhileRunning = tree.markedIndex();
                         });
        tree.SetPopupRunner([this](QMenu &menu, const QPoint &) -> QAction * {
            for (QAction *action : menu.actions()) menuTexts << action->text();
            markedDuringMenu = tree.markedIndex();
            for (QAction *action : menu.actions())
                if (static_cast<Command>(action->data().toInt()) == choose) return action;
            return nullptr;
        });
    }
    QModelIndex Node(const QString &name) const { return model.IndexOf(folder.At("root/" + name)); }
    QPoint Global(const QPoint &inViewport) { return tree.viewport()->mapToGlobal(inViewport); }
    QPoint OnLabel(const QModelIndex &node) {
        const QRect rect = tree.visualRect(node);
        return {rect.left() + tree.iconSize().width() + 12, rect.center().y()};
    }

    TestFolder folder;
    QString root = folder.MakeFolder("root");
    FolderTreeModel model;
    FolderTreeView tree;
    std::vector<std::pair<Command, QString>> chosen;
    QStringList menuTexts;
    QPersistentModelIndex markedDuringMenu;
    QPersistentModelIndex markedWhileRunning;
    Command choose = Command::DeleteTreeFolder;
};

TEST_F(FolderTreeViewTest, APopupOnALabelMarksItsNodeAndTellsTheChoiceWithoutSelecting) {
    EXPECT_TRUE(tree.isExpanded(model.index(0, 0))) << "the root opens with the tree";
    tree.setCurrentIndex(Node("alpha"));
    // Through the window, so that the press also brings its context-menu event.
    const QPoint at = tree.viewport()->mapTo(&tree, OnLabel(Node("beta")));
    QTest::mouseClick(tree.windowHandle(), Qt::RightButton, Qt::NoModifier, at);
    EXPECT_EQ(menuTexts, (QStringList{"刷新", "删除"}));
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0], std::make_pair(Command::DeleteTreeFolder, folder.At("root/beta")));
    EXPECT_EQ(markedDuringMenu, Node("beta"));
    EXPECT_EQ(markedWhileRunning, Node("beta")) << "marked while its question is open";
    EXPECT_FALSE(tree.markedIndex().isValid());
    EXPECT_EQ(tree.currentIndex(), Node("alpha")) << "a right click does not select";
    EXPECT_EQ(tree.selectionModel()->selectedIndexes(), QModelIndexList{Node("alpha")});

    choose = Command::None;  // dismissed
    tree.OfferPopupMenu(Global(OnLabel(model.index(0, 0))));
    EXPECT_EQ(chosen.size(), 1u);
}

TEST_F(FolderTreeViewTest, OffTheLabelShowsNoMenu) {
    const QRect rect = tree.visualRect(Node("alpha"));
    for (const QPoint &at :
         {QPoint(rect.left() + 2, rect.center().y()),                  // icon
          QPoint(rect.left() - 8, rect.center().y()),                  // button area
          QPoint(rect.center().x(), tree.viewport()->height() - 3),    // empty space
          QPoint(tree.viewport()->width() - 3, rect.center().y())}) {  // row's end
        tree.OfferPopupMenu(Global(at));
    }
    EXPECT_TRUE(menuTexts.isEmpty());
}

// What another program changes comes in around the user's expansion and selection.
TEST_F(FolderTreeViewTest, ExpansionAndSelectionStayWhileTheDiskChanges) {
    tree.expand(Node("alpha"));
    tree.setCurrentIndex(Node("alpha/inner"));
    folder.MakeFolder("root/alpha/extra");
    folder.MakeFolder("root/aardvark");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Node("aardvark").isValid(); }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return Node("alpha/extra").isValid(); }, 5000));
    EXPECT_TRUE(tree.isExpanded(Node("alpha")));
    EXPECT_EQ(tree.currentIndex(), Node("alpha/inner"));
}

}  // namespace
