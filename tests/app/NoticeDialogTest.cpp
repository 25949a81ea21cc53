#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/NoticeDialog.h"
#include "platform/SettingsStore.h"
#include "support/ScriptedPrompter.h"
#include "support/TestFolders.h"

namespace {

TEST(NoticeDialogTest, ShowsItsTextsAndClosesOnlyWithOk) {
    NoticeDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "提示");
    ASSERT_NE(dialog.findChild<QLabel *>(), nullptr);
    EXPECT_EQ(dialog.findChild<QLabel *>()->text(), "程序将暂时失去响应");
    QCheckBox *box = dialog.findChild<QCheckBox *>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), "以后不再提示");
    EXPECT_FALSE(box->isChecked());
    QPushButton *ok = dialog.findChild<QPushButton *>();
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "确定");

    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    dialog.close();
    EXPECT_TRUE(dialog.isVisible());

    box->setChecked(true);
    ok->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_TRUE(dialog.IsDontShowAgainTicked());
}

TEST(NoticeDialogTest, EnterPressesOk) {
    NoticeDialog dialog;
    QTimer::singleShot(0, &dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Return); });
    EXPECT_EQ(dialog.exec(), 1);
    EXPECT_FALSE(dialog.IsDontShowAgainTicked());
}

TEST(NoticeDialogTest, RemembersOnlyATickedBox) {
    TestFolder folder;
    folder.MakeFolder("config");
    CurrentDirectoryGuard cwd(folder.path());
    SettingsStore settings;
    ScriptedPrompter prompter;
    prompter.QueueNotice(false);
    ShowNoticeDialog(prompter, settings, nullptr);
    EXPECT_EQ(settings.ReadSetting("isKnown", 2), "");
    prompter.QueueNotice(true);
    ShowNoticeDialog(prompter, settings, nullptr);
    EXPECT_EQ(settings.ReadSetting("isKnown", 2), "1");
}

}  // namespace
