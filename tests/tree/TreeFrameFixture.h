#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "app/MainFrame.h"
#include "platform/StorageKind.h"
#include "support/ScriptedPrompter.h"
#include "support/TestFolders.h"
#include "tree/FolderTree.h"

// A main frame on a temporary current directory whose settings already answer the first-run
// questions; dialogs are scripted and every path counts as stored on `storageKind`.
class TreeFrameFixture : public ::testing::Test {
protected:
    void SetUp() override { root = folder.MakeFolder("pictures"); }

    void WriteSettings(const QString &path) { folder.WriteAnsweredSettings(path); }
    QString StoredPath() const { return SettingsStore().ReadSetting("path", 4096); }

    std::unique_ptr<CMainFrame> MakeFrame() {
        FrameEnvironment env;
        env.prompter = &prompter;
        env.storageKind = [this](const QString &path) {
            kindAsked << path;
            return storageKind;
        };
        if (configure) configure(env);
        auto frame = std::make_unique<CMainFrame>(std::move(env));
        EXPECT_TRUE(frame->Create());
        return frame;
    }

    TestFolder folder;
    CurrentDirectoryGuard cwd{folder.path()};
    QString root;
    ScriptedPrompter prompter;
    StorageKind storageKind = StorageKind::Fixed;
    std::function<void(FrameEnvironment &)> configure;  // further changes to the environment
    QStringList kindAsked;
};

inline QStringList MessageTexts(const ScriptedPrompter &prompter) {
    QStringList texts;
    for (const QString &text : prompter.messageTexts()) texts << text;
    return texts;
}
