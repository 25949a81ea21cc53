#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTest>

#include "TreeTestSupport.h"
#include "support/TestFolders.h"
#include "tree/FolderTree.h"
#include "tree/FrameState.h"

namespace {

class FolderTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        state.downloadRoot = folder.MakeFolder("root");
        QObject::connect(&tree, &FolderTree::folderSelected,
                         [this](const QString &path) { loaded << path; });
    }
    QString At(const QString &relative) { return folder.At("root/" + relative); }
    void Make(const QStringList &folders) {
        for (const QString &relative : folders) folder.MakeFolder("root/" + relative);
    }
    QTreeWidgetItem *Rebuild() {
        tree.RefreshFolderNode(nullptr, QString());
        return tree.RootNode();
    }

    TestFolder folder;
    FrameState state;
    FolderTree tree{state};
    QStringList loaded;
};

struct FillCase {
    const char *name;
    QStringList folders;
    QStringList files;
    QStringList expectedChildren;  // in name order
    QStringList flagged;           // children that show an expand button
};

class FillFolderNodeTest : public FolderTreeTest, public ::testing::WithParamInterface<FillCase> {};

TEST_P(FillFolderNodeTest, ListsRealSubFoldersWithTheirFlag) {
    const FillCase &c = GetParam();
    Make(c.folders);
    for (const QString &file : c.files) folder.WriteFile("root/" + file, "x");
    QDir().mkpath(folder.At("outside/inner"));
    QFile::link(folder.At("outside"), At("link"));

    QTreeWidgetItem *root = Rebuild();
    EXPECT_EQ(ChildTexts(root), c.expectedChildren);
    for (int i = 0; i < root->childCount(); ++i) {
        QTreeWidgetItem *child = root->child(i);
        EXPECT_EQ(tree.HasChildrenFlag(child), c.flagged.contains(child->text(0)))
            << child->text(0).toStdString();
        EXPECT_EQ(child->childCount(), 0) << "filled lazily";
    }
    EXPECT_TRUE(root->isExpanded());
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, FillFolderNodeTest,
    ::testing::Values(
        FillCase{"Empty", {}, {}, {}, {}},
        FillCase{"FilesOnlyGiveNoButton", {"a"}, {"a/x.jpg", "a/y.txt", "top.jpg"}, {"a"}, {}},
        FillCase{"HiddenFoldersShown", {".hidden/sub", "b"}, {}, {".hidden", "b"}, {".hidden"}},
        FillCase{"NestedFoldersFlagged",
                 {"a/b/c", "d", "e/f"},
                 {"d/f.jpg"},
                 {"a", "d", "e"},
                 {"a", "e"}},
        FillCase{"LinkedFolderInsideIsNoSubFolder", {"g"}, {}, {"g"}, {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(FolderTreeTest, FoldersFollowTheNamesNotTheCreationOrder) {
    Make({"t 10", "t 2", "b", "t 1", "A"});
    QTreeWidgetItem *root = Rebuild();
    EXPECT_EQ(ChildTexts(root), (QStringList{"A", "b", "t 1", "t 2", "t 10"}));
    tree.InsertFolderNode("t 3", root, NodePosition::Sorted);
    EXPECT_EQ(ChildTexts(root), (QStringList{"A", "b", "t 1", "t 2", "t 3", "t 10"}));
    tree.setCurrentItem(ChildNamed(root, "t 2"));
    EXPECT_EQ(loaded.last(), At("t 2"));
}

TEST_F(FolderTreeTest, RootShowsTheWholeRootPathAndPathsJoinTheTexts) {
    Make({"2010-05-03/title"});
    QTreeWidgetItem *root = Rebuild();
    EXPECT_EQ(tree.GetNodeText(root), state.downloadRoot);
    QTreeWidgetItem *day = ChildNamed(root, "2010-05-03");
    tree.expandItem(day);
    EXPECT_EQ(tree.GetNodePath(day->child(0)), At("2010-05-03/title"));
    EXPECT_EQ(tree.GetNodeText(nullptr), "");
    EXPECT_EQ(tree.GetNodePath(nullptr), "");

    state.downloadRoot = "/";
    root = Rebuild();
    ASSERT_GT(root->childCount(), 0);
    EXPECT_EQ(tree.GetNodePath(root->child(0)), "/" + root->child(0)->text(0));
}

TEST_F(FolderTreeTest, ExpandingReadsAFlaggedNodeOnceAndTextOnlyNodesNever) {
    Make({"a/one", "plain/sub"});
    QTreeWidgetItem *root = Rebuild();
    QTreeWidgetItem *a = ChildNamed(root, "a");
    tree.expandItem(a);
    EXPECT_EQ(ChildTexts(a), QStringList{"one"});

    Make({"a/two"});
    tree.collapseItem(a);
    tree.expandItem(a);
    EXPECT_EQ(ChildTexts(a), QStringList{"one"}) << "a second expansion must not read again";

    QTreeWidgetItem *textOnly = tree.InsertFolderNode("plain", root, NodePosition::Last);
    EXPECT_FALSE(tree.HasChildrenFlag(textOnly));
    tree.expandItem(textOnly);
    EXPECT_EQ(textOnly->childCount(), 0);
}

TEST_F(FolderTreeTest, VanishedOrUnreadableFoldersYieldNoChildren) {
    Make({"gone/sub"});
    QTreeWidgetItem *root = Rebuild();
    QTreeWidgetItem *gone = ChildNamed(root, "gone");
    ASSERT_TRUE(tree.HasChildrenFlag(gone));
    QDir(At("gone")).removeRecursively();
    tree.expandItem(gone);
    EXPECT_EQ(gone->childCount(), 0);

    state.downloadRoot = At("missing");
    EXPECT_EQ(Rebuild()->childCount(), 0);
}

TEST_F(FolderTreeTest, RefreshKeepsTheSelectedChildAndRebuildsAroundIt) {
    Make({"a", "b", "c", "d", "e"});
    QTreeWidgetItem *root = Rebuild();
    QTreeWidgetItem *kept = ChildNamed(root, "c");
    tree.setCurrentItem(kept);
    loaded.clear();

    QDir(At("a")).removeRecursively();
    Make({"f", "g", "c/new"});
    tree.RefreshFolderNode(root, tree.GetNodePath(root));

    EXPECT_EQ(ChildNamed(root, "c"), kept);
    EXPECT_EQ(tree.currentItem(), kept);
    EXPECT_TRUE(loaded.isEmpty()) << "the view is left alone";
    EXPECT_EQ(ChildTexts(root), (QStringList{"b", "c", "d", "e", "f", "g"}));
}

TEST_F(FolderTreeTest, RefreshOutsideTheSelectionListsANamesakeAsNewNode) {
    Make({"p/a", "q/a"});
    QTreeWidgetItem *root = Rebuild();
    QTreeWidgetItem *p = ChildNamed(root, "p");
    QTreeWidgetItem *q = ChildNamed(root, "q");
    tree.expandItem(p);
    tree.expandItem(q);
    QTreeWidgetItem *selected = p->child(0);
    tree.setCurrentItem(selected);

    tree.RefreshFolderNode(q, tree.GetNodePath(q));
    EXPECT_EQ(ChildTexts(q), QStringList{"a"});
    EXPECT_EQ(tree.currentItem(), selected);
    EXPECT_EQ(p->child(0), selected);
}

TEST_F(FolderTreeTest, RemovedNodesAreNeverLeftInTheFrameState) {
    Make({"x/y", "2024-01-02"});
    QTreeWidgetItem *root = Rebuild();
    QTreeWidgetItem *x = ChildNamed(root, "x");
    tree.expandItem(x);
    state.popupNode = x->child(0);
    state.downloadFolder = At("2024-01-02");
    state.downloadNode = ChildNamed(root, "2024-01-02");

    tree.RefreshFolderNode(x, tree.GetNodePath(x));
    EXPECT_EQ(state.popupNode, nullptr);
    EXPECT_EQ(state.downloadNode, ChildNamed(root, "2024-01-02")) << "outside the refreshed node";

    QTreeWidgetItem *oldDay = state.downloadNode;
    state.popupNode = x;
    root = Rebuild();
    EXPECT_EQ(state.popupNode, nullptr);
    ASSERT_NE(state.downloadNode, nullptr) << "found again by its name under the root";
    EXPECT_EQ(state.downloadNode, ChildNamed(root, "2024-01-02"));
    (void)oldDay;

    state.downloadFolder = folder.At("elsewhere/2024-01-02");
    Rebuild();
    EXPECT_EQ(state.downloadNode, nullptr);
}

TEST_F(FolderTreeTest, RefreshMovesASelectionFromInsideARemovedChildToTheNode) {
    Make({"a/b", "c"});
    QTreeWidgetItem *root = Rebuild();
    QTreeWidgetItem *a = ChildNamed(root, "a");
    tree.expandItem(a);
    tree.setCurrentItem(a->child(0));
    loaded.clear();

    tree.RefreshFolderNode(root, tree.GetNodePath(root));
    EXPECT_EQ(tree.currentItem(), root);
    EXPECT_EQ(loaded, QStringList{state.downloadRoot});
}

struct InsertCase {
    const char *name;
    NodePosition position;
    const char *text;
    QStringList expected;
};

class InsertFolderNodeTest : public FolderTreeTest,
                             public ::testing::WithParamInterface<InsertCase> {};

TEST_P(InsertFolderNodeTest, PutsTheNodeWhereAsked) {
    const InsertCase &c = GetParam();
    QTreeWidgetItem *root = Rebuild();
    for (const char *text : {"2010-05-01", "2010-05-09", "2010-05-03"})
        tree.InsertFolderNode(text, root, NodePosition::Last);
    QTreeWidgetItem *node = tree.InsertFolderNode(c.text, root, c.position);
    EXPECT_EQ(node->text(0), c.text);
    EXPECT_EQ(node->parent(), root);
    EXPECT_FALSE(tree.HasChildrenFlag(node));
    EXPECT_EQ(ChildTexts(root), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, InsertFolderNodeTest,
    ::testing::Values(
        InsertCase{
            "First", NodePosition::First, "new", {"new", "2010-05-01", "2010-05-09", "2010-05-03"}},
        InsertCase{
            "Last", NodePosition::Last, "new", {"2010-05-01", "2010-05-09", "2010-05-03", "new"}},
        InsertCase{"SortedBeforeTheFirstGreater",
                   NodePosition::Sorted,
                   "2010-05-05",
                   {"2010-05-01", "2010-05-05", "2010-05-09", "2010-05-03"}},
        InsertCase{"SortedAtTheEnd",
                   NodePosition::Sorted,
                   "2011-01-01",
                   {"2010-05-01", "2010-05-09", "2010-05-03", "2011-01-01"}}),
    [](const auto &info) { return std::string(info.param.name); });

class RightClickTest : public FolderTreeTest {
protected:
    void SetUp() override {
        FolderTreeTest::SetUp();
        Make({"alpha", "beta"});
        Rebuild();
        tree.resize(400, 300);
        tree.show();
        tree.SetCommandRouter([this](Command command) { routed.push_back(command); });
        tree.SetPopupRunner([this](QMenu &menu, const QPoint &) -> QAction * {
            for (QAction *action : menu.actions()) menuTexts << action->text();
            for (QAction *action : menu.actions())
                if (static_cast<Command>(action->data().toInt()) == choose) return action;
            return nullptr;
        });
    }
    QPoint Global(const QPoint &inViewport) { return tree.viewport()->mapToGlobal(inViewport); }
    QPoint OnLabel(QTreeWidgetItem *node) {
        const QRect rect = tree.visualItemRect(node);
        return {rect.left() + tree.iconSize().width() + 12, rect.center().y()};
    }

    std::vector<Command> routed;
    QStringList menuTexts;
    Command choose = Command::DeleteTreeFolder;
};

TEST_F(RightClickTest, OnALabelRemembersTheNodeAndRoutesTheChosenCommand) {
    QTreeWidgetItem *beta = ChildNamed(tree.RootNode(), "beta");
    QTreeWidgetItem *selected = tree.currentItem();
    tree.OfferPopupMenu(Global(OnLabel(beta)));
    EXPECT_EQ(menuTexts, (QStringList{"刷新", "删除"}));
    EXPECT_EQ(state.popupNode, beta);
    EXPECT_EQ(routed, std::vector<Command>{Command::DeleteTreeFolder});
    EXPECT_EQ(tree.currentItem(), selected) << "a right click does not select";

    choose = Command::None;  // dismissed
    routed.clear();
    tree.OfferPopupMenu(Global(OnLabel(tree.RootNode())));
    EXPECT_EQ(state.popupNode, tree.RootNode());
    EXPECT_TRUE(routed.empty());
}

TEST_F(RightClickTest, AMouseRightClickOpensTheMenuAndKeepsTheSelection) {
    QTreeWidgetItem *alpha = ChildNamed(tree.RootNode(), "alpha");
    QTreeWidgetItem *beta = ChildNamed(tree.RootNode(), "beta");
    tree.setCurrentItem(alpha);
    loaded.clear();
    // Through the window, so that the press also brings its context-menu event.
    const QPoint at = tree.viewport()->mapTo(&tree, OnLabel(beta));
    QTest::mouseClick(tree.windowHandle(), Qt::RightButton, Qt::NoModifier, at);
    QTest::mouseDClick(tree.windowHandle(), Qt::RightButton, Qt::NoModifier, at);
    EXPECT_EQ(state.popupNode, beta);
    EXPECT_FALSE(routed.empty());
    EXPECT_EQ(tree.currentItem(), alpha);
    EXPECT_EQ(tree.selectedItems(), QList<QTreeWidgetItem *>{alpha});
    EXPECT_TRUE(loaded.isEmpty()) << "the view is left alone";
}

TEST_F(RightClickTest, OffTheLabelShowsNoMenu) {
    QTreeWidgetItem *alpha = ChildNamed(tree.RootNode(), "alpha");
    state.popupNode = alpha;
    const QRect rect = tree.visualItemRect(alpha);
    for (const QPoint &at :
         {QPoint(rect.left() + 2, rect.center().y()),                  // icon
          QPoint(rect.left() - 8, rect.center().y()),                  // button area
          QPoint(rect.center().x(), tree.viewport()->height() - 3),    // empty space
          QPoint(tree.viewport()->width() - 3, rect.center().y())}) {  // row's end
        tree.OfferPopupMenu(Global(at));
    }
    EXPECT_TRUE(menuTexts.isEmpty());
    EXPECT_EQ(state.popupNode, alpha);
}

}  // namespace
