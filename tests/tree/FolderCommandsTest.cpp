#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QDir>
#include <QFileInfo>

#include "TreeFrameFixture.h"
#include "TreeTestSupport.h"
#include "platform/FileNames.h"
#include "resources/CommandIds.h"
#include "view/CLumoraView.h"

namespace {

class FolderCommandsTest : public TreeFrameFixture {
protected:
    void SetUp() override {
        TreeFrameFixture::SetUp();
        WriteSettings(root);
    }
    void Make(const QStringList &folders) {
        for (const QString &relative : folders) folder.MakeFolder("pictures/" + relative);
    }
    QString At(const QString &relative) { return folder.At("pictures/" + relative); }
    std::unique_ptr<CMainFrame> Frame() {
        auto frame = MakeFrame();
        tree = frame->tree();
        prompter.clear();
        return frame;
    }
    QTreeWidgetItem *Node(const QString &name) { return ChildNamed(tree->RootNode(), name); }
    void Delete(CMainFrame &frame, QTreeWidgetItem *node, int command) {
        if (command == ID_EDIT_DELETE_FOLDER)
            tree->setCurrentItem(node);
        else
            frame.state().popupNode = node;
        frame.RouteCommand(command);
    }

    FolderTree *tree = nullptr;
};

class RootGuardTest : public FolderCommandsTest, public ::testing::WithParamInterface<int> {};

TEST_P(RootGuardTest, TheRootIsNeverDeleted) {
    Make({"a"});
    auto frame = Frame();
    Delete(*frame, tree->RootNode(), GetParam());
    EXPECT_EQ(MessageTexts(prompter), QStringList{"不能删除根文件夹"});
    EXPECT_EQ(prompter.shown().front().caption, "");
    EXPECT_TRUE(QFileInfo(At("a")).isDir());
    EXPECT_EQ(tree->RootNode()->childCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(FromMenuAndPopup, RootGuardTest,
                         ::testing::Values(ID_EDIT_DELETE_FOLDER, ID_TREE_DELETE));

struct GuardCase {
    const char *name;
    const char *target;    // relative to the root
    bool downloadRunning;  // the menu's download item greyed
    bool refused;
};

class DownloadGuardTest : public FolderCommandsTest,
                          public ::testing::WithParamInterface<GuardCase> {};

TEST_P(DownloadGuardTest, OnlyTheRunningDownloadsOwnFolderIsProtected) {
    const GuardCase &c = GetParam();
    Make({"2024-03-01/title"});
    auto frame = Frame();
    frame->state().downloadFolder = At("2024-03-01");
    frame->MenuAction(ID_ACTION_DOWNLOAD)->setEnabled(!c.downloadRunning);
    QTreeWidgetItem *day = Node("2024-03-01");
    tree->expandItem(day);
    QTreeWidgetItem *target = QString(c.target).contains('/') ? day->child(0) : day;

    prompter.QueueAnswer(Answer::Yes);
    Delete(*frame, target, ID_TREE_DELETE);
    if (c.refused) {
        EXPECT_EQ(MessageTexts(prompter),
                  QStringList{"正在下载图片到此文件夹中，请在下载完成后再删除"});
        EXPECT_TRUE(QFileInfo::exists(At(c.target)));
    } else {
        EXPECT_EQ(MessageTexts(prompter), QStringList{"删除后将不可恢复，确认要删除吗？"});
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
    auto frame = Frame();
    prompter.QueueAnswer(Answer::No);
    Delete(*frame, Node("a"), ID_EDIT_DELETE_FOLDER);
    ASSERT_EQ(prompter.shown().size(), 1u);
    const auto question = prompter.shown().front();
    EXPECT_EQ(question.text, "删除后将不可恢复，确认要删除吗？");
    EXPECT_EQ(question.caption, "Lumora");
    EXPECT_EQ(question.buttons, Buttons::YesNo);
    EXPECT_EQ(question.icon, Icon::Question);
    EXPECT_EQ(question.owner, frame.get());
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

TEST_P(NextSelectionTest, SelectsTheNeighbourAndLoadsIt) {
    const NeighbourCase &c = GetParam();
    for (int i = 0; i < c.count; ++i) Make({QString("day/g%1/inner").arg(i)});
    auto frame = Frame();
    QTreeWidgetItem *day = Node("day");
    tree->expandItem(day);
    QTreeWidgetItem *target = day->child(c.deleted);
    QTreeWidgetItem *expected = c.selected < 0 ? day : day->child(c.selected);
    const QString deletedPath = tree->GetNodePath(target);
    tree->expandItem(target);
    frame->state().downloadNode = target->child(0);

    prompter.QueueAnswer(Answer::Yes);
    Delete(*frame, target, ID_EDIT_DELETE_FOLDER);
    EXPECT_FALSE(QFileInfo::exists(deletedPath));
    EXPECT_EQ(tree->currentItem(), expected);
    EXPECT_EQ(day->childCount(), c.count - 1);
    EXPECT_EQ(frame->view()->m_strPath, tree->GetNodePath(expected));
    EXPECT_EQ(frame->state().popupNode, nullptr);
    EXPECT_EQ(frame->state().downloadNode, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Positions, NextSelectionTest,
                         ::testing::Values(NeighbourCase{"First", 3, 0, 1},
                                           NeighbourCase{"Middle", 3, 1, 2},
                                           NeighbourCase{"Last", 3, 2, 1},
                                           NeighbourCase{"OnlyChild", 1, 0, -1}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(FolderCommandsTest, PopupDeletesTheRightClickedNodeNotTheSelectedOne) {
    Make({"a", "b", "c"});
    auto frame = Frame();
    QTreeWidgetItem *root = tree->RootNode();
    QTreeWidgetItem *selected = root->child(2);
    QTreeWidgetItem *target = root->child(0);
    const QString targetPath = tree->GetNodePath(target);
    const QString selectedPath = tree->GetNodePath(selected);
    QTreeWidgetItem *neighbour = root->child(1);
    tree->setCurrentItem(selected);

    prompter.QueueAnswer(Answer::Yes);
    Delete(*frame, target, ID_TREE_DELETE);
    EXPECT_FALSE(QFileInfo::exists(targetPath));
    EXPECT_TRUE(QFileInfo::exists(selectedPath));
    EXPECT_EQ(tree->currentItem(), neighbour);
}

TEST_F(FolderCommandsTest, AFolderThatCannotBeRemovedKeepsItsNode) {
    Make({"gone", "stays"});
    auto frame = Frame();
    QTreeWidgetItem *gone = Node("gone");
    QDir(At("gone")).removeRecursively();
    prompter.QueueAnswer(Answer::Yes);
    Delete(*frame, gone, ID_EDIT_DELETE_FOLDER);
    EXPECT_EQ(MessageTexts(prompter),
              (QStringList{"删除后将不可恢复，确认要删除吗？", "删除文件夹失败"}));
    EXPECT_EQ(Node("gone"), gone);
    EXPECT_EQ(tree->currentItem(), gone);
}

TEST_F(FolderCommandsTest, PopupRefreshActsOnTheSelectedNode) {
    Make({"a/old", "b/old"});
    auto frame = Frame();
    QTreeWidgetItem *a = Node("a");
    QTreeWidgetItem *b = Node("b");
    tree->expandItem(a);
    tree->expandItem(b);
    QTreeWidgetItem *bChild = b->child(0);
    tree->setCurrentItem(a);
    Make({"a/new", "b/new"});
    QDir(At("a/old")).removeRecursively();

    frame->state().popupNode = b;  // right-clicked, but not selected
    frame->RouteCommand(ID_TREE_REFRESH);
    EXPECT_EQ(ChildTexts(a), QStringList{"new"});
    EXPECT_EQ(ChildTexts(b), QStringList{"old"});
    EXPECT_EQ(b->child(0), bChild);
    EXPECT_EQ(frame->state().popupNode, a);
    EXPECT_TRUE(prompter.shown().empty());
}

// A name that is not UTF-8 and its sibling that merely looks the same once decoded: the node of
// the first removes exactly that folder.
TEST_F(FolderCommandsTest, DeletesTheFolderOfTheNodeByItsExactBytes) {
    const QByteArray base = EncodeFileName(root) + "/";
    ASSERT_EQ(::mkdir(base + "x\xb8\xf6", 0777), 0);
    ASSERT_EQ(::mkdir(base + "x\xef\xbf\xbd\xef\xbf\xbd", 0777), 0);
    folder.WriteFile("pictures/x\uFFFD\uFFFD/kept.jpg", "data");
    auto frame = Frame();
    ASSERT_EQ(tree->RootNode()->childCount(), 2);
    QTreeWidgetItem *broken = tree->FindNode(JoinPath(root, DecodeFileName("x\xb8\xf6")));
    ASSERT_NE(broken, nullptr);
    EXPECT_EQ(broken->text(0), QStringLiteral("x\uFFFD\uFFFD"));  // as the user sees it

    prompter.QueueAnswer(Answer::Yes);
    Delete(*frame, broken, ID_EDIT_DELETE_FOLDER);
    struct stat info {};
    EXPECT_NE(::stat(base + "x\xb8\xf6", &info), 0);
    EXPECT_TRUE(QFileInfo::exists(At("x\uFFFD\uFFFD/kept.jpg")));
    EXPECT_EQ(tree->RootNode()->childCount(), 1);
}

// A refresh while the question is open (the progress timer of a download) replaces the node:
// the confirmed deletion still happens, found again by its path.
TEST_F(FolderCommandsTest, DeletionConfirmedWhileTheNodeWasReplacedStillHappens) {
    Make({"a", "b"});
    auto frame = Frame();
    prompter.DuringNextMessage([this] { tree->RefreshFolderNode(nullptr, QString()); });
    prompter.QueueAnswer(Answer::Yes);
    Delete(*frame, Node("a"), ID_EDIT_DELETE_FOLDER);
    EXPECT_FALSE(QFileInfo::exists(At("a")));
    EXPECT_EQ(ChildTexts(tree->RootNode()), QStringList{"b"});
    EXPECT_EQ(MessageTexts(prompter), QStringList{"删除后将不可恢复，确认要删除吗？"});
}

// After a group step at the tree's edge nothing is selected: the command asks, and fails.
TEST_F(FolderCommandsTest, NoSelectedNodeAsksAndReportsTheFailure) {
    Make({"a"});
    auto frame = Frame();
    tree->setCurrentItem(nullptr);
    prompter.QueueAnswer(Answer::Yes);
    frame->RouteCommand(ID_EDIT_DELETE_FOLDER);
    EXPECT_EQ(MessageTexts(prompter),
              (QStringList{"删除后将不可恢复，确认要删除吗？", "删除文件夹失败"}));
    EXPECT_TRUE(QFileInfo(At("a")).isDir());
}

}  // namespace
