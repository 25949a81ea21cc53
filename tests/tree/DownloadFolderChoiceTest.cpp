#include <gtest/gtest.h>

#include <QWidget>

#include "platform/SettingsStore.h"
#include "support/ScriptedPrompter.h"
#include "support/TestFolders.h"
#include "tree/DownloadFolderChoice.h"

namespace {

// The choice from the menu, with the root stored in config/t.ini.
class DownloadFolderChoiceTest : public ::testing::Test {
protected:
    void SetUp() override { folder.WriteAnsweredSettings(root); }
    void Choose(bool mustChoose = false) {
        outcome = ChooseDownloadFolder(mustChoose,
                                       {prompter, settings,
                                        [this](const QString &path) {
                                            kindAsked << path;
                                            return storageKind;
                                        }},
                                       &owner);
    }
    QStringList MessageTexts() const {
        QStringList texts;
        for (const QString &text : prompter.messageTexts()) texts << text;
        return texts;
    }
    QStringList ChooserTitles() const {
        QStringList titles;
        for (const auto &shown : prompter.shown())
            if (shown.kind == ScriptedPrompter::Kind::Folder) titles << shown.text;
        return titles;
    }
    void ExpectRootIs(const QString &path) {
        EXPECT_EQ(outcome.root, path);
        EXPECT_TRUE(outcome.rebuild);
        EXPECT_EQ(settings.ReadSetting("path", 4096), path);
    }
    void ExpectRootKept(bool rebuild) {
        EXPECT_EQ(outcome.root, std::nullopt);
        EXPECT_EQ(outcome.rebuild, rebuild);
        EXPECT_EQ(settings.ReadSetting("path", 4096), root);
    }

    TestFolder folder;
    QString root = folder.MakeFolder("pictures");
    ScriptedPrompter prompter;
    QWidget owner;
    CurrentDirectoryGuard cwd{folder.path()};
    SettingsStore settings;
    StorageKind storageKind = StorageKind::Fixed;
    QStringList kindAsked;
    FolderChoice outcome;
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
    const QString chosen = QString(c.chosen).replace("~", folder.path());
    const QString stored = QString(c.stored).replace("~", folder.path());
    prompter.QueueFolder(chosen);
    Choose();
    EXPECT_EQ(ChooserTitles(), QStringList{"将图片下载到哪个文件夹？"});
    EXPECT_TRUE(prompter.messageTexts().empty());
    ExpectRootIs(stored);
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
    folder.MakeFolder("other/sub");
    storageKind = c.kind;
    prompter.QueueFolder(folder.At("other"));
    prompter.QueueFolder(std::nullopt);
    Choose();

    if (c.accepted) {
        EXPECT_TRUE(prompter.messageTexts().empty());
        EXPECT_EQ(ChooserTitles().size(), 1u);
        ExpectRootIs(folder.At("other"));
    } else {
        EXPECT_EQ(MessageTexts(),
                  (QStringList{"只能设定硬盘或可移动磁盘上的文件夹", "设置的文件夹无效"}));
        for (const auto &shown : prompter.shown()) EXPECT_EQ(shown.caption, "");
        EXPECT_EQ(ChooserTitles().size(), 2u) << "the chooser comes back after a refusal";
        ExpectRootKept(true);
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
    prompter.QueueFolder(std::nullopt);
    Choose();
    EXPECT_TRUE(prompter.messageTexts().empty());
    ExpectRootKept(false);
}

TEST_F(DownloadFolderChoiceTest, WhenAFolderMustBeChosenCancelAsksAgain) {
    prompter.QueueFolder(std::nullopt);
    prompter.QueueFolder(std::nullopt);
    prompter.QueueFolder(root);
    Choose(true);
    EXPECT_EQ(MessageTexts(),
              (QStringList{"请选择将图片下载到哪个文件夹", "请选择将图片下载到哪个文件夹"}));
    EXPECT_EQ(ChooserTitles().size(), 3u);
    EXPECT_EQ(prompter.shown().front().owner, &owner);
    ExpectRootIs(root);
}

TEST_F(DownloadFolderChoiceTest, ALongRootIsStoredWhole) {
    const QString segment(100, u'x');
    const QString deep = folder.MakeFolder("pictures/" + segment + "/" + segment + "/" + segment);
    ASSERT_GT(deep.size(), 300);
    prompter.QueueFolder(deep);
    Choose();
    ExpectRootIs(deep);
    EXPECT_EQ(StoredDownloadRoot(settings), deep);
}

TEST_F(DownloadFolderChoiceTest, AnItemWithoutAFolderIsInvalid) {
    prompter.QueueFolder(QString());
    prompter.QueueFolder(folder.At("no such folder"));
    prompter.QueueFolder(folder.MakeFolder("two\nlines"));  // no setting could hold it
    prompter.QueueFolder(std::nullopt);
    Choose();
    EXPECT_EQ(MessageTexts(),
              (QStringList{"设置的文件夹无效", "设置的文件夹无效", "设置的文件夹无效"}));
    ExpectRootKept(true);
}

}  // namespace
