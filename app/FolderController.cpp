#include "app/FolderController.h"

#include <QCursor>
#include <QGuiApplication>
#include <QItemSelectionModel>

#include "platform/DirectoryListing.h"
#include "platform/FileNames.h"
#include "platform/Prompter.h"
#include "tree/DownloadFolderChoice.h"
#include "tree/FolderRemoval.h"
#include "tree/FolderTreeModel.h"
#include "view/PictureBrowser.h"

FolderController::FolderController(FolderTreeModel &folders, QItemSelectionModel &selection,
                                   PictureBrowser &browser, Services services, QObject *parent)
    : QObject(parent),
      folders_(folders),
      selection_(selection),
      browser_(browser),
      services_(std::move(services)) {
    connect(&selection_, &QItemSelectionModel::currentChanged, this,
            &FolderController::FollowSelection);
    connect(&browser_, &PictureBrowser::groupEntered, this, &FolderController::FollowGroupStep);
}

QString FolderController::selectedFolder() const {
    return folders_.PathOf(selection_.currentIndex());
}

void FolderController::Select(const QString &folder) {
    selection_.setCurrentIndex(folders_.IndexOf(folder), QItemSelectionModel::ClearAndSelect);
}

void FolderController::FollowSelection(const QModelIndex &current) {
    if (followingStep_ || !current.isValid()) return;
    const QString folder = folders_.PathOf(current);
    // Without a watch on it the folder's listing may be old: a selection lists it again.
    folders_.ListAgainUnlessWatched(folder);
    browser_.ShowFolder(folder);
}

void FolderController::FollowGroupStep(const QString &folder) {
    // The browser's listing may be a moment ahead of the watch: the parent is listed first.
    if (!folders_.IndexOf(folder).isValid()) folders_.ListAgain(FolderOf(folder));
    const QModelIndex entered = folders_.IndexOf(folder);
    if (!entered.isValid()) return;  // the old highlight rather than none
    followingStep_ = true;
    selection_.setCurrentIndex(entered, QItemSelectionModel::ClearAndSelect);
    followingStep_ = false;
}

void FolderController::ShowRoot(const QString &root) {
    folders_.SetRoot(root);
    browser_.SetRoot(root);
    Select(root);
}

void FolderController::Run(Command command) {
    switch (command) {
        case Command::RefreshTreeFolder:
            return RefreshSelected();
        case Command::DeleteFolder:
            return DeleteFolder(selectedFolder());
        case Command::DeletePicture:
            return DeletePicture();
        case Command::ChooseDownloadFolder:
            return ChooseDownloadFolder(false);
        default:
            return;
    }
}

void FolderController::RunPopupCommand(Command command, const QString &folder) {
    // 刷新 always lists the selected folder, whichever was right-clicked.
    if (command == Command::RefreshTreeFolder) RefreshSelected();
    if (command == Command::DeleteTreeFolder) DeleteFolder(folder);
}

void FolderController::RefreshSelected() {
    const QString folder = selectedFolder();
    if (folder.isEmpty()) return;
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    browser_.Forget();  // pictures decoded ahead may be gone or changed
    folders_.ListAgain(folder);
    QGuiApplication::restoreOverrideCursor();
}

void FolderController::DeleteFolder(const QString &folder) {
    if (folder == folders_.root()) {
        Tell(frame_, QStringLiteral("不能删除根文件夹"));
        return;
    }
    if (folder == downloadFolder_ && services_.downloadRunning && services_.downloadRunning()) {
        Tell(frame_, QStringLiteral("正在下载图片到此文件夹中，请在下载完成后再删除"));
        return;
    }
    const Answer answer = services_.prompter.ShowMessage(
        frame_, {QStringLiteral("删除后将不可恢复，确认要删除吗？"), QStringLiteral("Lumora"),
                 Buttons::YesNo, Icon::Question});
    if (answer != Answer::Yes) return;
    // Without a node the path is empty: nothing can be removed.
    if (folder.isEmpty() || !RemoveFolderTree(folder)) {
        Tell(frame_, QStringLiteral("删除文件夹失败"));
        return;
    }
    // Found by its path: a listing while the question was open may have made it anew.
    const QModelIndex node = folders_.IndexOf(folder);
    if (!node.isValid()) return;
    // The next sibling, else the previous one, else the parent; selecting first spares the view
    // a load of whichever node the selection would fall back to.
    const int siblings = folders_.rowCount(node.parent());
    const QModelIndex next = node.row() + 1 < siblings ? node.siblingAtRow(node.row() + 1)
                             : node.row() > 0          ? node.siblingAtRow(node.row() - 1)
                                                       : node.parent();
    selection_.setCurrentIndex(next, QItemSelectionModel::ClearAndSelect);
    folders_.Remove(folder);
}

void FolderController::DeletePicture() {
    if (!IsPicturePath(browser_.path())) {
        Tell(view_, QStringLiteral("当前未浏览图片"));
        return;
    }
    // The file the question names: a refresh while the box is open may show another picture.
    const QString asked = browser_.path();
    const Answer answer =
        services_.prompter.ShowMessage(view_, {QStringLiteral("删除后将不可恢复，确定要删除吗？"),
                                               QString(), Buttons::YesNo, Icon::Question});
    if (answer == Answer::Yes && !browser_.Delete(asked))
        Tell(view_, QStringLiteral("删除图片失败"));
}

void FolderController::ChooseDownloadFolder(bool mustChoose) {
    const FolderChoice choice = ::ChooseDownloadFolder(
        mustChoose, {services_.prompter, services_.settings, services_.storageKind}, frame_);
    if (!choice.rebuild) return;
    ShowRoot(choice.root.value_or(folders_.root()));
}

void FolderController::ShowDownloadFolder(const QString &dateFolder, bool created) {
    downloadFolder_ = dateFolder;
    if (created) folders_.Insert(dateFolder);
    RefreshDownloadFolder();
}

void FolderController::RefreshDownloadFolder() {
    // Another root chosen meanwhile: its tree stays as the user left it.
    if (downloadFolder_.isEmpty() || FolderOf(downloadFolder_) != folders_.root()) return;
    if (!folders_.IndexOf(downloadFolder_).isValid()) folders_.ListAgain(folders_.root());
    folders_.ListAgain(downloadFolder_);
}

void FolderController::Tell(QWidget *owner, const QString &text) {
    services_.prompter.Tell(owner, text);
}
