#include "download/DownloadCommand.h"

#include <sys/stat.h>

#include <QProgressBar>
#include <QTimer>
#include <algorithm>

#include "download/AbandonedFiles.h"
#include "download/DownloadCommandHost.h"
#include "download/DownloadProgress.h"
#include "download/DownloadServices.h"
#include "platform/DirectoryListing.h"
#include "platform/FileNames.h"
#include "platform/Prompter.h"
#include "tree/FolderTree.h"
#include "tree/FrameState.h"

namespace {

constexpr int kProgressBarLeft = 100;  // the status text keeps the part's first 100 pixels
constexpr char kProgressBarName[] = "downloadProgressBar";

void ShowFailure(DownloadCommandHost &host, const QString &text) {
    host.prompter().ShowMessage(host.owner(), {text, QString(), Buttons::Ok, Icon::None});
}

// The child of the root node named `name`, or none. Nodes are looked up afresh each time: a
// rebuild or refresh may have replaced the one found before.
QTreeWidgetItem *ChildNamed(FolderTree &tree, QTreeWidgetItem *parent, const QString &name) {
    if (!parent) return nullptr;
    for (int i = 0; i < parent->childCount(); ++i) {
        if (tree.GetNodeText(parent->child(i)) == name) return parent->child(i);
    }
    return nullptr;
}

// Refreshes the date folder's node, found afresh by its text under the root; without one the
// whole tree is rebuilt. When the user chose another root meanwhile, the tree shows nothing of
// the download, and rebuilding it at every tick would only collapse what the user opened.
void RefreshDownloadNode(DownloadCommandHost &host) {
    FolderTree &tree = host.folderTree();
    FrameState &state = host.state();
    QTreeWidgetItem *root = tree.RootNode();
    const QString dateName = FileNameOf(state.downloadFolder);
    if (root && JoinPath(tree.GetNodePath(root), dateName) != state.downloadFolder) {
        state.downloadNode = nullptr;
        return;
    }
    state.downloadNode = ChildNamed(tree, root, dateName);
    tree.RefreshFolderNode(state.downloadNode, state.downloadFolder);
}

void ShowProgressBar(DownloadCommandHost &host, int batchSize) {
    QWidget *part = host.StatusPart();
    delete DownloadProgressBar(host);  // each download shows a bar of its own
    auto *bar = new QProgressBar(part);
    bar->setObjectName(kProgressBarName);
    bar->setTextVisible(false);
    const QRect area = part->rect();
    bar->setGeometry(kProgressBarLeft, area.top(), std::max(0, area.right() + 1 - kProgressBarLeft),
                     area.height());
    bar->setRange(0, batchSize);
    bar->setValue(0);
    bar->show();
}

}  // namespace

QProgressBar *DownloadProgressBar(const DownloadCommandHost &host) {
    return host.StatusPart() ? host.StatusPart()->findChild<QProgressBar *>(kProgressBarName)
                             : nullptr;
}

void OnDownload(DownloadCommandHost &host) {
    FrameState &state = host.state();
    if (host.IsDownloadRunning()) {
        ShowFailure(host, QStringLiteral("下载已经开始"));
        return;
    }
    if (host.ReadSetting(QStringLiteral("isKnown"), 2).isEmpty()) host.ShowNotice();

    const DownloadServices &services = host.downloadServices();
    const QString dateName = host.Now().toString(QStringLiteral("yyyy-MM-dd"));
    const QString dateFolder = JoinPath(state.downloadRoot, dateName);
    // A fresh batch: workers of an earlier download may still hold the previous one.
    auto batch = std::make_shared<DownloadBatch>();
    state.batch = batch;
    const std::string nativeDateFolder = EncodeFileName(dateFolder).toStdString();
    if (!services.buildList(nativeDateFolder, *batch)) {
        ShowFailure(host, QStringLiteral("无法连接到服务器"));
        return;
    }
    if (batch->empty()) {
        ShowFailure(host, QStringLiteral("获取列表失败"));
        return;
    }
    host.SetDownloadRunning(true);

    FolderTree &tree = host.folderTree();
    QTreeWidgetItem *root = tree.RootNode();
    if (::mkdir(nativeDateFolder.c_str(), 0777) == 0 && root)
        state.downloadNode = tree.InsertFolderNode(dateName, root, NodePosition::Sorted);
    else
        state.downloadNode = ChildNamed(tree, root, dateName);
    state.downloadFolder = dateFolder;
    tree.RefreshFolderNode(state.downloadNode,
                           state.downloadNode ? tree.GetNodePath(state.downloadNode) : QString());

    // Files that killed processes left below the root; a running process's files stay.
    RemoveAbandonedFiles(state.downloadRoot);
    DownloadProgress &progress = ProcessDownloadProgress();
    progress.Reset();
    services.startWorkers(batch);
    host.progressTimer()->start();
    host.SetStatusText(QStringLiteral("正在下载"));
    ShowProgressBar(host, static_cast<int>(std::min(batch->size(), kMaxBatchTasks)));
}

void OnProgressTimer(DownloadCommandHost &host) {
    FrameState &state = host.state();
    const DownloadProgress &progress = ProcessDownloadProgress();
    const ProgressReading reading = ReadProgress(progress);
    QProgressBar *bar = DownloadProgressBar(host);
    if (reading.finished) {
        RefreshDownloadNode(host);
        if (bar) bar->setValue(reading.batchSize);
        host.SetStatusText(QStringLiteral("下载完毕"));
        host.SetDownloadRunning(false);
        host.progressTimer()->stop();
        const QString unsaved = UnsavedText(ReadSaveReport(progress));
        if (!unsaved.isEmpty()) ShowFailure(host, unsaved);
        return;
    }
    const qint16 newFolders = progress.newFolderCount;
    if (newFolders > state.rememberedNewFolderCount) {
        RefreshDownloadNode(host);
        state.rememberedNewFolderCount = newFolders;
    }
    host.SetStatusText(QStringLiteral("%1张/%2张").arg(reading.reached).arg(reading.batchSize));
    // Out-of-range positions are clamped to the bar's range, not ignored.
    if (bar) bar->setValue(std::clamp(reading.furthest + 1, bar->minimum(), bar->maximum()));
}
