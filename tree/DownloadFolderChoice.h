#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "platform/StorageKind.h"

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

// What the choice ended with: the accepted root, already written as the "path" setting; and
// whether the tree is built again from the root it then has (after an acceptance, and after a
// refusal however the chooser ended).
struct FolderChoice {
    std::optional<QString> root;
    bool rebuild = false;
};

// Lets the user choose the download root: only folders on local fixed or removable disks are
// accepted, stored without a trailing "/". With `mustChoose` the chooser comes back after a
// cancel until a folder is accepted; without it a cancel changes nothing.
FolderChoice ChooseDownloadFolder(bool mustChoose, const FolderChoiceServices &services,
                                  QWidget *owner);
