#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QWidget>

#include "app/FolderController.h"
#include "platform/DirectoryListing.h"
#include "platform/FileNames.h"
#include "platform/SettingsStore.h"
#include "support/ScriptedPrompter.h"
#include "support/TestFolders.h"
#include "tree/FolderTreeModel.h"
#include "view/PictureBrowser.h"

namespace {

// The commands on a tree of the download root "pictures", without any widget.
class FolderControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.WriteAnsweredSettings(root);
        controller.SetOwners(&frame, &view);
    }
    QString At(const QString &relative) const { return folder.At("pictures/" + relative); }
    void Make(const QStringList &folders) const {
        for (const QString &relative : folders) folder.MakeFolder("pictures/" + relative);
    }
    void Start(const QStringList &folders = {}) {
        Make(folders);
        controller.ShowRoot(root);
    }
    void Select(const QString &relative) {
        const QModelIndex node = model.IndexOf(At(relative));
        if (model.canFetchMore(node)) model.fetchMore(node);
        selection.setCurrentIndex(node, QItemSelectionModel::ClearAndSelect);
    }
    QStringList Children(const QString &relative) const {
        const QModelIndex node =
            relative.isEmpty() ? model.index(0, 0) : model.IndexOf(At(relative));
        QStringList names;
        for (int row = 0; row < model.rowCount(node); ++row)
            names << model.index(row, 0, node).data().toString();
        return names;
    }
    QStringList MessageTexts() const {
        QStringList texts;
        for (const QString &text : prompter.messageTexts()) texts << text;
        return texts;
    }

    TestFolder folder;
    QString root = folder.MakeFolder("pictures");
    CurrentDirectoryGuard cwd{folder.path()};
    SettingsStore settings;
    ScriptedPrompter prompter;
    QWidget frame;
    QWidget view;
    bool downloadRunning = false;
    FolderTreeModel model;
    QItemSelectionModel selection{&model};
    PictureBrowser browser;
    FolderController controller{
        model,
        selection,
        browser,
        {prompter, settings, [](const QString &) { return StorageKind::Fixed; },
         [this] { return downloadRunning; }}};
};

TEST_F(FolderControllerTest, TheRootIsNeverDeleted) {
    Start({"a"});
    controller.Run(Command::DeleteFolder);
    controller.RunPopupCommand(Command::DeleteTreeFolder, root);
    EXPECT_EQ(MessageTexts(), (QStringList{"不能删除根文件夹", "不能删除根文件夹"}));
    EXPECT_EQ(prompter.shown().front().caption, "");
    EXPECT_EQ(prompter.shown().front().owner, &frame);
    EXPECT_TRUE(QFileInfo(At("a")).isDir());
}

struct GuardCase {
    const char *name;
    const char *target;  // relative to the root
    bool downloadRunning;
    bool refused;
};

class DownloadGuardTest : public FolderControllerTest,
                          public ::testing::WithParamInterface<GuardCase> {};

TEST_P(DownloadGuardTest, OnlyTheRunningDownloadsOwnFolderIsProtected) {
    const GuardCase &c = GetParam();
    Start({"2024-03-01/title"});
    controller.ShowDownloadFolder(At("2024-03-01"), false);
    downloadRunning = c.downloadRunning;
    prompter.QueueAnswer(Answer::Yes);
    controller.RunPopupCommand(Command::DeleteTreeFolder, At(c.target));
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

TEST_F(FolderControllerTest, AnythingButYesKeepsTheFolder) {
    Start({"a"});
    Select("a");
    prompter.QueueAnswer(Answer::No);
    controller.Run(Command::DeleteFolder);
    ASSERT_EQ(prompter.shown().size(), 1u);
    const auto question = prompter.shown().front();
    EXPECT_EQ(question.text, "删除后将不可恢复，确认要删除吗？");
    EXPECT_EQ(question.caption, "Lumora");
    EXPECT_EQ(question.buttons, Buttons::YesNo);
    EXPECT_EQ(question.icon, Icon::Question);
    EXPECT_TRUE(QFileInfo(At("a")).isDir());
    EXPECT_TRUE(model.IndexOf(At("a")).isValid());
}

// Which folder is selected after deleting the child at `deleted` of `count` siblings: the next
// one, else the previous one, else the parent; from the menu (the selected one) or the popup.
struct NeighbourCase {
    const char *name;
    int count;
    int deleted;
    int selected;  // sibling index; -1: the parent
    bool fromPopup;
};

class NextSelectionTest : public FolderControllerTest,
                          public ::testing::WithParamInterface<NeighbourCase> {};

TEST_P(NextSelectionTest, SelectsTheNeighbourAndShowsIt) {
    const NeighbourCase &c = GetParam();
    for (int i = 0; i < c.count; ++i) Make({QString("day/g%1/inner").arg(i)});
    Start();
    Select("day");
    const QString target = At(QString("day/g%1").arg(c.deleted));
    const QString expected = c.selected < 0 ? At("day") : At(QString("day/g%1").arg(c.selected));
    if (!c.fromPopup) Select(QString("day/g%1").arg(c.deleted));

    prompter.QueueAnswer(Answer::Yes);
    if (c.fromPopup)
        controller.RunPopupCommand(Command::DeleteTreeFolder, target);
    else
        controller.Run(Command::DeleteFolder);
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_FALSE(model.IndexOf(target).isValid());
    EXPECT_EQ(controller.selectedFolder(), expected);
    EXPECT_EQ(browser.path(), expected);
}

INSTANTIATE_TEST_SUITE_P(Positions, NextSelectionTest,
                         ::testing::Values(NeighbourCase{"First", 3, 0, 1, false},
                                           NeighbourCase{"Middle", 3, 1, 2, false},
                                           NeighbourCase{"Last", 3, 2, 1, false},
                                           NeighbourCase{"OnlyChild", 1, 0, -1, false},
                                           NeighbourCase{"PopupOnAnother", 3, 0, 1, true}),
                         [](const auto &info) { return std::string(info.param.name); });

// A folder that cannot go (removed by another program, here before any watch could tell), or
// no selection at all: the question, then the failure, and nothing else moves.
TEST_F(FolderControllerTest, AFolderThatCannotBeRemovedKeepsItsNode) {
    Start({"gone", "stays"});
    Select("gone");
    QDir(At("gone")).removeRecursively();
    prompter.QueueAnswer(Answer::Yes);
    controller.Run(Command::DeleteFolder);
    selection.clear();
    prompter.QueueAnswer(Answer::Yes);
    controller.Run(Command::DeleteFolder);
    EXPECT_EQ(MessageTexts(), (QStringList{"删除后将不可恢复，确认要删除吗？", "删除文件夹失败",
                                           "删除后将不可恢复，确认要删除吗？", "删除文件夹失败"}));
    EXPECT_TRUE(model.IndexOf(At("gone")).isValid());
    EXPECT_TRUE(QFileInfo(At("stays")).isDir());
}

TEST_F(FolderControllerTest, PopupRefreshListsTheSelectedFolderWhicheverWasRightClicked) {
    Start({"a/old", "b/old"});
    Select("b");
    Select("a");
    Make({"a/new", "b/new"});
    QDir(At("a/old")).removeRecursively();
    controller.RunPopupCommand(Command::RefreshTreeFolder, At("b"));
    EXPECT_EQ(Children("a"), QStringList{"new"});
    EXPECT_EQ(Children("b"), QStringList{"old"});
    EXPECT_EQ(controller.selectedFolder(), At("a"));
}

// A name that is not UTF-8 and its sibling that merely looks the same once decoded: the popup on
// the first removes exactly that folder.
TEST_F(FolderControllerTest, DeletesTheFolderByItsExactBytes) {
    const QByteArray base = EncodeFileName(root) + "/";
    ASSERT_EQ(::mkdir(base + "x\xb8\xf6", 0777), 0);
    ASSERT_EQ(::mkdir(base + "x\xef\xbf\xbd\xef\xbf\xbd", 0777), 0);
    folder.WriteFile("pictures/x\uFFFD\uFFFD/kept.jpg", "data");
    Start();
    prompter.QueueAnswer(Answer::Yes);
    controller.RunPopupCommand(Command::DeleteTreeFolder,
                               JoinPath(root, DecodeFileName("x\xb8\xf6")));
    struct stat info {};
    EXPECT_NE(::stat(base + "x\xb8\xf6", &info), 0);
    EXPECT_TRUE(QFileInfo::exists(At("x\uFFFD\uFFFD/kept.jpg")));
    EXPECT_EQ(Children(""), QStringList{"x\uFFFD\uFFFD"});
}

// The tree is listed again while the question is open (a download's progress): the confirmed
// deletion still happens, its node found again by its path.
TEST_F(FolderControllerTest, DeletionConfirmedWhileTheTreeWasListedAgainStillHappens) {
    Start({"a", "b"});
    Select("a");
    prompter.DuringNextMessage([this] { model.SetRoot(root); });
    prompter.QueueAnswer(Answer::Yes);
    controller.Run(Command::DeleteFolder);
    EXPECT_FALSE(QFileInfo::exists(At("a")));
    EXPECT_EQ(Children(""), QStringList{"b"});
}

struct PictureDeleteCase {
    const char *name;
    const char *shown;  // relative to the root; a folder shows no picture
    Answer answer;
    bool readOnly;
    QStringList messages;
    const char *shownAfter;
};

class PictureDeleteTest : public FolderControllerTest,
                          public ::testing::WithParamInterface<PictureDeleteCase> {};

TEST_P(PictureDeleteTest, AsksDeletesAndTellsAFailure) {
    const PictureDeleteCase &c = GetParam();
    for (const char *name : {"t/a.jpg", "t/b.jpg"}) folder.WriteFile(QString("pictures/") + name);
    Start();
    browser.Show(At(c.shown));
    prompter.QueueAnswer(c.answer);
    if (c.readOnly) QFile::setPermissions(At("t"), QFile::ReadOwner | QFile::ExeOwner);
    {
        FilePermissionsEnforced enforced;
        controller.Run(Command::DeletePicture);
    }
    QFile::setPermissions(At("t"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(MessageTexts(), c.messages);
    for (const auto &shown : prompter.shown()) EXPECT_EQ(shown.owner, &view);
    EXPECT_EQ(browser.path(), At(c.shownAfter));
    const bool deleted = c.answer == Answer::Yes && !c.readOnly && QString(c.shown).endsWith("jpg");
    EXPECT_EQ(QFileInfo::exists(At(c.shown)), !deleted);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PictureDeleteTest,
    ::testing::Values(
        PictureDeleteCase{
            "Yes", "t/a.jpg", Answer::Yes, false, {"删除后将不可恢复，确定要删除吗？"}, "t/b.jpg"},
        PictureDeleteCase{
            "No", "t/a.jpg", Answer::No, false, {"删除后将不可恢复，确定要删除吗？"}, "t/a.jpg"},
        PictureDeleteCase{"ReadOnlyFolder",
                          "t/a.jpg",
                          Answer::Yes,
                          true,
                          {"删除后将不可恢复，确定要删除吗？", "删除图片失败"},
                          "t/a.jpg"},
        PictureDeleteCase{"NoPicture", "t", Answer::Yes, false, {"当前未浏览图片"}, "t"}),
    [](const auto &info) { return std::string(info.param.name); });

// A group step selects the folder it entered, even one that came after the tree was listed,
// without showing the folder over the step's own picture.
TEST_F(FolderControllerTest, AGroupStepSelectsTheFolderItEntered) {
    folder.WriteFile("pictures/day/a/a 1.jpg");
    Start();
    Select("day");
    Select("day/a");
    folder.WriteFile("pictures/day/b/b 1.jpg");
    browser.Show(At("day/a/a 1.jpg"));
    ASSERT_EQ(browser.StepTo(false), PictureBrowser::Step::Shown);
    EXPECT_EQ(controller.selectedFolder(), At("day/b"));
    EXPECT_EQ(browser.path(), At("day/b/b 1.jpg"));
}

TEST_F(FolderControllerTest, TheDownloadsFolderComesInBelowItsRootOnly) {
    Start({"2024-01-01"});
    folder.MakeFolder("pictures/2024-02-01/t");
    controller.ShowDownloadFolder(At("2024-02-01"), true);
    EXPECT_EQ(Children(""), (QStringList{"2024-01-01", "2024-02-01"}));
    EXPECT_EQ(Children("2024-02-01"), QStringList{"t"});
    Make({"2024-02-01/u"});
    controller.RefreshDownloadFolder();
    EXPECT_EQ(Children("2024-02-01"), (QStringList{"t", "u"}));

    const QString other = folder.MakeFolder("other");
    prompter.QueueFolder(other);
    controller.Run(Command::ChooseDownloadFolder);
    EXPECT_EQ(model.root(), other);
    EXPECT_EQ(browser.root(), other);
    EXPECT_EQ(controller.selectedFolder(), other);
    controller.RefreshDownloadFolder();
    EXPECT_EQ(Children(""), QStringList{}) << "another root shows nothing of the download";
}

}  // namespace
