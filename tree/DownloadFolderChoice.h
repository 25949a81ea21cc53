#pragma once

#include <QString>
#include <functional>

#include "platform/StorageKind.h"

class FolderTree;
class Prompter;
class QWidget;
class SettingsStore;

// What the choice reaches outside the tree: the dialogs, the settings and the storage kind of a
// path (unset: this machine's).
struct FolderChoiceServices {
    Prompter &prompter;
    const SettingsStore &settings;
    std::function<StorageKind(const QString &path)> storageKind;
};

// Lets the user choose the download root: only folders on local fixed or removable disks are
// accepted. An accepted folder becomes the tree's download root (which the tree announces) and
// the "path" setting; the tree is rebuilt from it and its root selected. With `mustChoose` the
// chooser comes back after a cancel until a folder is accepted; without it a cancel changes
// nothing (the tree is rebuilt once more only when a choice had been refused).
void ChooseDownloadFolder(bool mustChoose, FolderTree &tree, const FolderChoiceServices &services,
                          QWidget *owner);
