#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>

#include "app/FirstRunPrompts.h"
#include "app/FrameEnvironment.h"
#include "platform/DesktopLauncher.h"
#include "support/ScriptedPrompter.h"
#include "support/TestFolders.h"

namespace {

const QString kHelpQuestion = QStringLiteral("是否阅读软件说明文档？\n\n点击“取消”不再提示");
const QString kLauncherQuestion = QStringLiteral("是否创建桌面快捷方式？\n\n点击“取消”不再提示");

class FirstRunPromptsTest : public ::testing::Test {
protected:
    FirstRunPromptsTest() {
        folder.MakeFolder("config");
        env.prompter = &prompter;
        env.openHelp = [this] { ++helpOpened; };
        env.programPath = [] { return QStringLiteral("/opt/lumora/lumora"); };
        env.desktopFolder = [] { return QStringLiteral("/home/u/Desktop"); };
        env.createLauncher = [this](const QString &program, const QString &desktop) {
            launchers.push_back({program, desktop});
            return true;
        };
    }

    void Run() { RunFirstRunPrompts(nullptr, env); }

    TestFolder folder;
    CurrentDirectoryGuard cwd{folder.path()};
    ScriptedPrompter prompter;
    FrameEnvironment env;
    int helpOpened = 0;
    std::vector<std::pair<QString, QString>> launchers;
};

TEST_F(FirstRunPromptsTest, AsksHelpThenLauncherWithCaptionAndThreeButtons) {
    prompter.QueueAnswer(Answer::No);
    prompter.QueueAnswer(Answer::No);
    Run();
    const auto shown = prompter.shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, kHelpQuestion);
    EXPECT_EQ(shown[1].text, kLauncherQuestion);
    for (const auto &box : shown) {
        EXPECT_EQ(box.caption, "Lumora");
        EXPECT_EQ(box.buttons, Buttons::YesNoCancel);
        EXPECT_EQ(box.icon, Icon::Question);
    }
}

TEST_F(FirstRunPromptsTest, NoStoresNothingAndAsksAgainNextStart) {
    for (int start = 0; start < 2; ++start) {
        prompter.QueueAnswer(Answer::No);
        prompter.QueueAnswer(Answer::No);
    }
    Run();
    Run();
    EXPECT_EQ(prompter.messageTexts().size(), 4u);
    EXPECT_EQ(helpOpened, 0);
    EXPECT_TRUE(launchers.empty());
    EXPECT_EQ(env.settings.ReadSetting("readDoc", 2), "");
    EXPECT_EQ(env.settings.ReadSetting("isLink", 260), "");
}

TEST_F(FirstRunPromptsTest, CancelNeverAsksAgainAndOpensOrCreatesNothing) {
    prompter.QueueAnswer(Answer::Cancel);
    prompter.QueueAnswer(Answer::Cancel);
    Run();
    Run();
    EXPECT_EQ(prompter.messageTexts().size(), 2u);
    EXPECT_EQ(helpOpened, 0);
    EXPECT_TRUE(launchers.empty());
    EXPECT_EQ(env.settings.ReadSetting("readDoc", 2), "1");
    EXPECT_EQ(env.settings.ReadSetting("isLink", 260), "1");
}

TEST_F(FirstRunPromptsTest, YesOpensHelpAndCreatesLauncherForTheProgram) {
    prompter.QueueAnswer(Answer::Yes);
    prompter.QueueAnswer(Answer::Yes);
    Run();
    EXPECT_EQ(helpOpened, 1);
    ASSERT_EQ(launchers.size(), 1u);
    EXPECT_EQ(launchers[0].first, "/opt/lumora/lumora");
    EXPECT_EQ(launchers[0].second, "/home/u/Desktop");
    Run();
    EXPECT_EQ(prompter.messageTexts().size(), 2u);
}

TEST_F(FirstRunPromptsTest, FailedLauncherStillCountsAsAnswered) {
    env.createLauncher = [](const QString &, const QString &) { return false; };
    prompter.QueueAnswer(Answer::No);
    prompter.QueueAnswer(Answer::Yes);
    Run();
    EXPECT_EQ(env.settings.ReadSetting("isLink", 260), "1");
    EXPECT_EQ(env.settings.ReadSetting("readDoc", 2), "");
}

TEST_F(FirstRunPromptsTest, AnyStoredFirstCharacterCountsAsAnswered) {
    folder.WriteFile("config/t.ini", "[config]\nreadDoc=0\nisLink=no\n");
    Run();
    EXPECT_TRUE(prompter.shown().empty());
}

TEST(DesktopLauncherTest, WritesAnExecutableEntryThatStartsInTheProgramFolder) {
    TestFolder desktop;
    ASSERT_TRUE(CreateDesktopLauncher("/opt/my apps/lumora", desktop.path() + "/"));
    const QString path = desktop.At("Lumora1.00.desktop");
    const QString text = QString::fromUtf8(ReadWholeFile(path));
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(text.contains("\nName=Lumora1.00\n"));
    EXPECT_TRUE(text.contains("\nExec=\"/opt/my apps/lumora\"\n"));
    EXPECT_TRUE(text.contains("\nPath=/opt/my apps\n"));
    struct stat info {};
    ASSERT_EQ(stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_TRUE(info.st_mode & S_IXUSR);
}

TEST(DesktopLauncherTest, NoDesktopFolderWritesNothing) {
    EXPECT_FALSE(CreateDesktopLauncher("/opt/lumora/lumora", QString()));
}

}  // namespace
