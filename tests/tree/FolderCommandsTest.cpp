#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>

#include "TreeFixture.h"
#include "TreeTestSupport.h"
#include "platform/DirectoryListing.h"
#include "platform/FileNames.h"
#include "tree/FolderCommands.h"

namespace {

class FolderCommandsTest : public TreeFixture {
protected:
    void SetUp() override {
        TreeFixture::SetUp();
        tree.setCurrentItem(nullptr);
    }
    QTreeWidgetItem *Node(const QString &name) { return ChildNamed(tree.RootNode(), name); }
    // The command from the menu (on the selected node) or from the popup (on `popupNode`).
    void Delete(QTreeWidgetItem *node, Command command) {
        if (command == Command::DeleteFolder)
            tree.setCurrentItem(node);
        else
            state.popupNode = node;
        DeleteFolder(command, tree, prompter, &owner, downloadRunning);
    }

    bool downloadRunning = false;
};

class RootGuardTest : public FolderCommandsTest, public ::testing::WithParamInterface<Command> {};

TEST_P(RootGuardTest, TheRootIsNeverDeleted) {
    Make({"a"});
    Rebuild();
    Delete(tree.RootNode(), GetParam());
    EXPECT_EQ(MessageTexts(), QStringList{"不能删除根文件夹"});
    EXPECT_EQ(prompter.shown().front().caption, "");
    EXPECT_TRUE(QFileInfo(At("a")).isDir());
    EXPECT_EQ(tree.RootNode()->childCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(FromMenuAndPopup, RootGuardTest,
                         ::testing::Values(Command::DeleteFolder, Command::DeleteTreeFolder));

struct GuardCase {
    const char *name;
    const char *target;  // relative to the root
    bool downloadRunning;
    bool refused;
};

class DownloadGuardTest : public FolderCommandsTest,
                          public ::testing::WithParamInterface<GuardCase> {};

TEST_P(DownloadGuardTest, OnlyTheRunningDownloadsOwnFolderIsProtected) {
    const GuardCase &c = GetParam();
    Make({"2024-03-01/title"});
    Rebuild();
    state.downloadFolder = At("2024-03-01");
    downloadRunning = c.downloadRunning;
    QTreeWidgetItem *day = Node("2024-03-01");
    tree.expandItem(day);
    QTreeWidgetItem *target = QString(c.target).contains('/') ? day->child(0) : day;

    prompter.QueueAnswer(Answer::Yes);
    Delete(target, Command::DeleteTreeFolder);
    if (c.refused) {
        EXPECT_EQ(MessageTexts(), QStringList{"正在下载图片到此文件夹中，请在下载完成后再删除"});
        EXPECT_TRUE(QFileInfo::exists(At(c.target)));
    } else {
        EXPECT_EQ(MessageTexts(), QStringList{"删除后将不可恢复，确认要删除吗？"});
        EXPECT_FALSE(QFileInfo::exists(At(c.target)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DownloadGuardTest,
    ::testing::Values(GuardCase{"DayFolderWhileDownloading", "2024-03-01", true, true},
                      GuardCase{"SubFolderWhileDownloading", "2024-03-01/title", true, false},
                      GuardCase{"DayFolderAfterTheDownload", "2024-03-01", false, false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(FolderCommandsTest, AnythingButYesKeepsTheFolder) {
    Make({"a"});
    Rebuild();
    prompter.QueueAnswer(Answer::No);
    Delete(Node("a"), Command::DeleteFolder);
    ASSERT_EQ(prompter.shown().size(), 1u);
    const auto question = prompter.shown().front();
    EXPECT_EQ(question.text, "删除后将不可恢复，确认要删除吗？");
    EXPECT_EQ(question.caption, "Lumora");
    EXPECT_EQ(question.buttons, Buttons::YesNo);
    EXPECT_EQ(question.icon, Icon::Question);
    EXPECT_EQ(question.owner, &owner);
    EXPECT_TRUE(QFileInfo(At("a")).isDir());
    EXPECT_NE(Node("a"), nullptr);
}

// Which node is selected after deleting the child at `deleted` of `count` siblings: the next
// one, else the previous one, else the parent.
struct NeighbourCase {
    const char *name;
    int count;
    int deleted;
    int selected;  // sibling index; -1: the parent
};

class NextSelectionTest : public FolderCommandsTest,
                          public ::testing::WithParamInterface<NeighbourCase> {};

TEST_P(NextSelectionTest, SelectsTheNeighbourAndShowsIt) {
    const NeighbourCase &c = GetParam();
    for (int i = 0; i < c.count; ++i) Make({QString("day/g%1/inner").arg(i)});
    Rebuild();
    QTreeWidgetItem *day = Node("day");
    tree.expandItem(day);
    QTreeWidgetItem *target = day->child(c.deleted);
    QTreeWidgetItem *expected = c.selected < 0 ? day : day->child(c.selected);
    const QString deletedPath = tree.GetNodePath(target);
    tree.expandItem(target);
    state.downloadNode = target->child(0);
    tree.setCurrentItem(target);
    QSignalSpy selected(&tree, &FolderTree::folderSelected);

    prompter.QueueAnswer(Answer::Yes);
    Delete(target, Command::DeleteFolder);
    EXPECT_FALSE(QFileInfo::exists(deletedPath));
    EXPECT_EQ(tree.currentItem(), expected);
    EXPECT_EQ(day->childCount(), c.count - 1);
    ASSERT_EQ(selected.count(), 1);
    EXPECT_EQ(selected.front().front().toString(), tree.GetNodePath(expected));
    EXPECT_EQ(state.popupNode, nullptr);
    EXPECT_EQ(state.downloadNode, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Positions, NextSelectionTest,
                         ::testing::Values(NeighbourCase{"First", 3, 0, 1},
                                           NeighbourCase{"Middle", 3, 1, 2},
                                           NeighbourCase{"Last", 3, 2, 1},
                                           NeighbourCase{"OnlyChild", 1, 0, -1}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(FolderCommandsTest, PopupDeletesTheRightClickedNodeNotTheSelectedOne) {
    Make({"a", "b", "c"});
    QTreeWidgetItem *root = Rebuild();
    QTreeWidgetItem *selected = root->child(2);
    QTreeWidgetItem *target = root->child(0);
    const QString targetPath = tree.GetNodePath(target);
    const QString selectedPath = tree.GetNodePath(selected);
    QTreeWidgetItem *neighbour = root->child(1);
    tree.setCurrentItem(selected);

    prompter.QueueAnswer(Answer::Yes);
    Delete(target, Command::DeleteTreeFolder);
    EXPECT_FALSE(QFileInfo::exists(targetPath));
    EXPECT_TRUE(QFileInfo::exists(selectedPath));
    EXPECT_EQ(tree.currentItem(), neighbour);
}

TEST_F(FolderCommandsTest, AFolderThatCannotBeRemovedKeepsItsNode) {
    Make({"gone", "stays"});
    Rebuild();
    QTreeWidgetItem *gone = Node("gone");
    QDir(At("gone")).removeRecursively();
    prompter.QueueAnswer(Answer::Yes);
    Delete(gone, Command::DeleteFolder);
    EXPECT_EQ(MessageTexts(), (QStringList{"删除后将不可恢复，确认要删除吗？", "删除文件夹失败"}));
    EXPECT_EQ(Node("gone"), gone);
    EXPECT_EQ(tree.currentItem(), gone);
}

TEST_F(FolderCommandsTest, PopupRefreshActsOnTheSelectedNode) {
    Make({"a/old", "b/old"});
    Rebuild();
    QTreeWidgetItem *a = Node("a");
    QTreeWidgetItem *b = Node("b");
    tree.expandItem(a);
    tree.expandItem(b);
    QTreeWidgetItem *bChild = b->child(0);
    tree.setCurrentItem(a);
    Make({"a/new", "b/new"});
    QDir(At("a/old")).removeRecursively();

    state.popupNode = b;  // right-clicked, but not selected
    RefreshSelectedFolder(tree);
    EXPECT_EQ(ChildTexts(a), QStringList{"new"});
    EXPECT_EQ(ChildTexts(b), QStringList{"old"});
    EXPECT_EQ(b->child(0), bChild);
    EXPECT_EQ(state.popupNode, a);
    EXPECT_TRUE(prompter.shown().empty());
}

// A name that is not UTF-8 and its sibling that merely looks the same once decoded: the node of
// the first removes exactly that folder.
TEST_F(FolderCommandsTest, DeletesTheFolderOfTheNodeByItsExactBytes) {
    const QByteArray base = EncodeFileName(root) + "/";
    ASSERT_EQ(::mkdir(base + "x\xb8\xf6", 0777), 0);
    ASSERT_EQ(::mkdir(base + "x\xef\xbf\xbd\xef\xbf\xbd", 0777), 0);
    folder.WriteFile("pictures/x\uFFFD\uFFFD/kept.jpg", "data");
    Rebuild();
    ASSERT_EQ(tree.RootNode()->childCount(), 2);
    QTreeWidgetItem *broken = tree.FindNode(JoinPath(root, DecodeFileName("x\xb8\xf6")));
    ASSERT_NE(broken, nullptr);
    EXPECT_EQ(broken->text(0), QStringLiteral("x\uFFFD\uFFFD"));  // as the user sees it

    prompter.QueueAnswer(Answer::Yes);
    Delete(broken, Command::DeleteFolder);
    struct stat info {};
    EXPECT_NE(::stat(base + "x\xb8\xf6", &info), 0);
    EXPECT_TRUE(QFileInfo::exists(At("x\uFFFD\uFFFD/kept.jpg")));
    EXPECT_EQ(tree.RootNode()->childCount(), 1);
}

// A refresh while the question is open (the progress timer of a download) replaces the node:
// the confirmed deletion still happens, found again by its path.
TEST_F(FolderCommandsTest, DeletionConfirmedWhileTheNodeWasReplacedStillHappens) {
    Make({"a", "b"});
    Rebuild();
    prompter.DuringNextMessage([this] { tree.RefreshFolderNode(nullptr, QString()); });
    prompter.QueueAnswer(Answer::Yes);
    Delete(Node("a"), Command::DeleteFolder);
    EXPECT_FALSE(QFileInfo::exists(At("a")));
    EXPECT_EQ(ChildTexts(tree.RootNode()), QStringList{"b"});
    EXPECT_EQ(MessageTexts(), QStringList{"删除后将不可恢复，确认要删除吗？"});
}

// After a group step at the tree's edge nothing is selected: the command asks, and fails.
TEST_F(FolderCommandsTest, NoSelectedNodeAsksAndReportsTheFailure) {
    Make({"a"});
    Rebuild();
    prompter.QueueAnswer(Answer::Yes);
    Delete(nullptr, Command::DeleteFolder);
    EXPECT_EQ(MessageTexts(), (QStringList{"删除后将不可恢复，确认要删除吗？", "删除文件夹失败"}));
    EXPECT_TRUE(QFileInfo(At("a")).isDir());
}

}  // namespace
