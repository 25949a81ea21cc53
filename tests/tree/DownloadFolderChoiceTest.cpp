#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTimer>

#include "TreeFrameFixture.h"
#include "TreeTestSupport.h"
#include "resources/CommandIds.h"
#include "view/CLumoraView.h"

namespace {

class DownloadFolderChoiceTest : public TreeFrameFixture {
protected:
    // Every chooser use, with its title.
    QStringList ChooserTitles() const {
        QStringList titles;
        for (const auto &shown : prompter.shown())
            if (shown.kind == ScriptedPrompter::Kind::Folder) titles << shown.text;
        return titles;
    }
    void ExpectRootIs(CMainFrame &frame, const QString &path) {
        EXPECT_EQ(frame.state().downloadRoot, path);
        EXPECT_EQ(StoredPath(), path);
        EXPECT_EQ(frame.view()->m_strRoot, path);
        EXPECT_EQ(frame.tree()->GetNodeText(frame.tree()->RootNode()), path);
        EXPECT_EQ(frame.tree()->currentItem(), frame.tree()->RootNode());
    }
};

struct AcceptCase {
    const char *name;
    const char *chosen;  // "~" stands for the test folder
    const char *stored;
};

class AcceptedChoiceTest : public DownloadFolderChoiceTest,
                           public ::testing::WithParamInterface<AcceptCase> {};

TEST_P(AcceptedChoiceTest, StoresTheFolderWithoutTrailingSeparator) {
    const AcceptCase &c = GetParam();
    WriteSettings(root);
    auto frame = MakeFrame();
    const QString chosen = QString(c.chosen).replace("~", folder.path());
    const QString stored = QString(c.stored).replace("~", folder.path());
    prompter.QueueFolder(chosen);
    frame->RouteCommand(ID_SETTINGS_DOWNLOAD_FOLDER);
    EXPECT_EQ(ChooserTitles(), QStringList{"将图片下载到哪个文件夹？"});
    EXPECT_TRUE(prompter.messageTexts().empty());
    ExpectRootIs(*frame, stored);
    EXPECT_EQ(kindAsked, QStringList{chosen});
}

INSTANTIATE_TEST_SUITE_P(Paths, AcceptedChoiceTest,
                         ::testing::Values(AcceptCase{"Plain", "~/pictures", "~/pictures"},
                                           AcceptCase{"TrailingSlash", "~/pictures/", "~/pictures"},
                                           AcceptCase{"FileSystemRoot", "/", "/"}),
                         [](const auto &info) { return std::string(info.param.name); });

struct KindCase {
    const char *name;
    StorageKind kind;
    bool accepted;
};

class StorageKindChoiceTest : public DownloadFolderChoiceTest,
                              public ::testing::WithParamInterface<KindCase> {};

TEST_P(StorageKindChoiceTest, OnlyLocalDisksAreAccepted) {
    const KindCase &c = GetParam();
    WriteSettings(root);
    const QString other = folder.MakeFolder("other/sub");
    folder.MakeFolder("pictures/selected");
    auto frame = MakeFrame();
    // Either way the tree is rebuilt and its root selected.
    frame->tree()->setCurrentItem(ChildNamed(frame->tree()->RootNode(), "selected"));
    storageKind = c.kind;
    prompter.QueueFolder(folder.At("other"));
    prompter.QueueFolder(std::nullopt);
    frame->RouteCommand(ID_SETTINGS_DOWNLOAD_FOLDER);

    if (c.accepted) {
        EXPECT_TRUE(prompter.messageTexts().empty());
        EXPECT_EQ(ChooserTitles().size(), 1u);
        ExpectRootIs(*frame, folder.At("other"));
        EXPECT_EQ(ChildTexts(frame->tree()->RootNode()), QStringList{"sub"});
    } else {
        EXPECT_EQ(MessageTexts(prompter),
                  (QStringList{"只能设定硬盘或可移动磁盘上的文件夹", "设置的文件夹无效"}));
        for (const auto &shown : prompter.shown()) EXPECT_EQ(shown.caption, "");
        EXPECT_EQ(ChooserTitles().size(), 2u) << "the chooser comes back after a refusal";
        ExpectRootIs(*frame, root);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, StorageKindChoiceTest,
                         ::testing::Values(KindCase{"Fixed", StorageKind::Fixed, true},
                                           KindCase{"Removable", StorageKind::Removable, true},
                                           KindCase{"Network", StorageKind::Network, false},
                                           KindCase{"Optical", StorageKind::Optical, false},
                                           KindCase{"Ram", StorageKind::Ram, false},
                                           KindCase{"Pseudo", StorageKind::Pseudo, false},
                                           KindCase{"Unknown", StorageKind::Unknown, false}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(DownloadFolderChoiceTest, CancelFromTheMenuChangesNothing) {
    WriteSettings(root);
    folder.MakeFolder("pictures/a/b");
    auto frame = MakeFrame();
    FolderTree *tree = frame->tree();
    QTreeWidgetItem *a = ChildNamed(tree->RootNode(), "a");
    tree->expandItem(a);
    tree->setCurrentItem(a->child(0));
    prompter.clear();

    prompter.QueueFolder(std::nullopt);
    frame->RouteCommand(ID_SETTINGS_DOWNLOAD_FOLDER);
    EXPECT_TRUE(prompter.messageTexts().empty());
    EXPECT_EQ(ChildNamed(tree->RootNode(), "a"), a) << "no rebuild";
    EXPECT_EQ(tree->currentItem(), a->child(0));
    EXPECT_EQ(frame->state().downloadRoot, root);
    EXPECT_EQ(StoredPath(), root);
}

TEST_F(DownloadFolderChoiceTest, ALongRootIsKeptWholeAcrossARestart) {
    WriteSettings(root);
    const QString segment(100, u'x');
    const QString deep = folder.MakeFolder("pictures/" + segment + "/" + segment + "/" + segment);
    ASSERT_GT(deep.size(), 300);
    folder.MakeFolder("pictures/" + segment + "/" + segment + "/" + segment + "/sub");
    {
        auto frame = MakeFrame();
        prompter.QueueFolder(deep);
        frame->RouteCommand(ID_SETTINGS_DOWNLOAD_FOLDER);
        ExpectRootIs(*frame, deep);
    }
    prompter.clear();
    prompter.QueueFolder(root);  // ends the forced choice should the stored root be cut
    auto restarted = MakeFrame();
    EXPECT_TRUE(prompter.shown().empty()) << "the stored root exists";
    ExpectRootIs(*restarted, deep);
    EXPECT_EQ(ChildTexts(restarted->tree()->RootNode()), QStringList{"sub"});
}

TEST_F(DownloadFolderChoiceTest, AnItemWithoutAFolderIsInvalid) {
    WriteSettings(root);
    auto frame = MakeFrame();
    prompter.QueueFolder(QString());
    prompter.QueueFolder(folder.At("no such folder"));
    prompter.QueueFolder(folder.MakeFolder("two\nlines"));  // no setting could hold it
    prompter.QueueFolder(std::nullopt);
    frame->RouteCommand(ID_SETTINGS_DOWNLOAD_FOLDER);
    EXPECT_EQ(MessageTexts(prompter),
              (QStringList{"设置的文件夹无效", "设置的文件夹无效", "设置的文件夹无效"}));
    EXPECT_EQ(frame->state().downloadRoot, root);
    EXPECT_EQ(StoredPath(), root);
}

TEST_F(DownloadFolderChoiceTest, StartUpWithoutARootAsksUntilAFolderIsAccepted) {
    WriteSettings(folder.At("vanished"));
    prompter.QueueFolder(std::nullopt);
    prompter.QueueFolder(std::nullopt);
    prompter.QueueFolder(root);
    auto frame = MakeFrame();
    EXPECT_EQ(MessageTexts(prompter),
              (QStringList{"请选择将图片下载到哪个文件夹", "请选择将图片下载到哪个文件夹"}));
    EXPECT_EQ(ChooserTitles().size(), 3u);
    EXPECT_EQ(prompter.shown().front().owner, frame.get());
    ExpectRootIs(*frame, root);
    EXPECT_FALSE(frame->isVisible());
    EXPECT_TRUE(frame->updateTimer()->isActive());
}

// Without a config/ folder the choice cannot be stored; it still holds for the whole run, and the
// download aims below it.
TEST_F(DownloadFolderChoiceTest, ChoiceThatCannotBeStoredHoldsForTheRun) {
    std::string aimedAt;
    configure = [&aimedAt](FrameEnvironment &env) {
        env.downloadServices.buildList = [&aimedAt](std::string dateFolder, DownloadBatch &) {
            aimedAt = std::move(dateFolder);
            return false;
        };
    };
    prompter.QueueFolder(root);
    auto frame = MakeFrame();
    EXPECT_EQ(frame->state().downloadRoot, root);
    EXPECT_EQ(frame->view()->m_strRoot, root);
    EXPECT_EQ(frame->tree()->GetNodeText(frame->tree()->RootNode()), root);
    frame->RouteCommand(ID_ACTION_DOWNLOAD);
    EXPECT_EQ(FolderOf(QString::fromStdString(aimedAt)), root);
    EXPECT_FALSE(QFileInfo::exists(folder.At("config")));
}

// "path=/x/pictures/" names the same root; a refresh around a selected child lists it once.
TEST_F(DownloadFolderChoiceTest, StoredRootIsReadWithoutItsTrailingSlash) {
    folder.MakeFolder("pictures/a");
    folder.MakeFolder("pictures/b");
    WriteSettings(root + "/");
    auto frame = MakeFrame();
    EXPECT_EQ(frame->state().downloadRoot, root);
    FolderTree &tree = *frame->tree();
    tree.setCurrentItem(ChildNamed(tree.RootNode(), "a"));
    tree.RefreshFolderNode(tree.RootNode(), tree.GetNodePath(tree.RootNode()));
    EXPECT_EQ(ChildTexts(tree.RootNode()), (QStringList{"a", "b"}));
}

}  // namespace
