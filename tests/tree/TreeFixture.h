#pragma once

#include <gtest/gtest.h>

#include <QStringList>
#include <QWidget>

#include "support/ScriptedPrompter.h"
#include "support/TestFolders.h"
#include "tree/FolderTree.h"
#include "tree/FrameState.h"

// A folder tree on a download root "pictures" in a temporary folder, with scripted dialogs
// owned by `owner`.
class TreeFixture : public ::testing::Test {
protected:
    void SetUp() override { state.downloadRoot = root; }
    QString At(const QString &relative) const { return folder.At("pictures/" + relative); }
    void Make(const QStringList &folders) const {
        for (const QString &relative : folders) folder.MakeFolder("pictures/" + relative);
    }
    QTreeWidgetItem *Rebuild() {
        tree.RefreshFolderNode(nullptr, QString());
        return tree.RootNode();
    }
    QStringList MessageTexts() const {
        QStringList texts;
        for (const QString &text : prompter.messageTexts()) texts << text;
        return texts;
    }

    TestFolder folder;
    QString root = folder.MakeFolder("pictures");
    FrameState state;
    FolderTree tree{state};
    ScriptedPrompter prompter;
    QWidget owner;
};
