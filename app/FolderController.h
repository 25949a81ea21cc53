#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "platform/StorageKind.h"
#include "resources/Commands.h"

class FolderTreeModel;
class PictureBrowser;
class Prompter;
class QItemSelectionModel;
class QModelIndex;
class QWidget;
class SettingsStore;

// The folder and picture commands, between the models: the folder tree, its selection and the
// picture browser. It holds the folders the commands act on (the selected one, the one a popup
// menu was opened on, the download's), asks the user through the Prompter, and follows the
// models' signals: a selected folder shows in the browser, a group step selects the folder it
// entered. Widgets only report what was clicked and show the models.
class FolderController : public QObject {
    Q_OBJECT
public:
    struct Services {
        Prompter &prompter;
        const SettingsStore &settings;
        std::function<StorageKind(const QString &path)> storageKind;  // unset: this machine's
        std::function<bool()> downloadRunning;
    };

    FolderController(FolderTreeModel &folders, QItemSelectionModel &selection,
                     PictureBrowser &browser, Services services, QObject *parent = nullptr);

    // The owners of the messages: the frame's for the folders, the view's for the pictures.
    void SetOwners(QWidget *frame, QWidget *view) {
        frame_ = frame;
        view_ = view;
    }

    // Builds the tree from `root`, which the browser learns too, and selects the root node.
    void ShowRoot(const QString &root);
    // 刷新, 删除文件夹, 删除图片 and 下载文件夹...
    void Run(Command command);
    // A command of the tree's popup menu, opened on the node of `folder`.
    void RunPopupCommand(Command command, const QString &folder);
    // Lets the user choose the download root; `mustChoose` until one is accepted.
    void ChooseDownloadFolder(bool mustChoose);
    // The dated folder a download writes to, `created` just now or found there: its node comes
    // in below the root and is listed. Nothing shows of it when another root was chosen since.
    void ShowDownloadFolder(const QString &dateFolder, bool created);
    // The download's dated folder got new sub-folders, or the download ended: listed again.
    void RefreshDownloadFolder();

    QString selectedFolder() const;
    const QString &downloadFolder() const { return downloadFolder_; }

private:
    void Select(const QString &folder);
    void FollowSelection(const QModelIndex &current);
    void FollowGroupStep(const QString &folder);
    void RefreshSelected();
    void DeleteFolder(const QString &folder);
    void DeletePicture();
    void Tell(QWidget *owner, const QString &text);

    FolderTreeModel &folders_;
    QItemSelectionModel &selection_;
    PictureBrowser &browser_;
    Services services_;
    QWidget *frame_ = nullptr;
    QWidget *view_ = nullptr;
    QString downloadFolder_;
    bool followingStep_ = false;  // a group step shows its own picture
};
