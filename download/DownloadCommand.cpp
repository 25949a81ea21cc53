#include "download/DownloadCommand.h"

#include <sys/stat.h>

#include <QProgressBar>
#include <QTimer>
#include <algorithm>

#include "download/AbandonedFiles.h"
#include "download/DownloadCommandHost.h"
#include "download/DownloadProgress.h"
#include "download/DownloadServices.h"
#include "download/DownloadState.h"
#include "platform/DirectoryListing.h"
#include "platform/FileNames.h"
#include "platform/Prompter.h"

namespace {

constexpr int kProgressBarLeft = 100;  // the status text keeps the part's first 100 pixels
constexpr char kProgressBarName[] = "downloadProgressBar";

void ShowFailure(DownloadCommandHost &host, const QString &text) {
    host.prompter().ShowMessage(host.owner(), {text, QString(), Buttons::Ok, Icon::None});
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
    DownloadState &state = host.downloadState();
    if (host.IsDownloadRunning()) {
        ShowFailure(host, QStringLiteral("下载已经开始"));
        return;
    }
    if (host.ReadSetting(QStringLiteral("isKnown"), 2).isEmpty()) host.ShowNotice();

    const DownloadServices &services = host.downloadServices();
    const QString dateName = host.Now().toString(QStringLiteral("yyyy-MM-dd"));
    const QString downloadRoot = host.DownloadRoot();
    const QString dateFolder = JoinPath(downloadRoot, dateName);
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

    host.ShowDownloadFolder(dateFolder, ::mkdir(nativeDateFolder.c_str(), 0777) == 0);

    // Files that killed processes left below the root; a running process's files stay.
    RemoveAbandonedFiles(downloadRoot);
    DownloadProgress &progress = ProcessDownloadProgress();
    progress.Reset();
    services.startWorkers(batch);
    host.progressTimer()->start();
    host.SetStatusText(QStringLiteral("正在下载"));
    ShowProgressBar(host, static_cast<int>(std::min(batch->size(), kMaxBatchTasks)));
}

void OnProgressTimer(DownloadCommandHost &host) {
    DownloadState &state = host.downloadState();
    const DownloadProgress &progress = ProcessDownloadProgress();
    const ProgressReading reading = ReadProgress(progress);
    QProgressBar *bar = DownloadProgressBar(host);
    if (reading.finished) {
        host.RefreshDownloadFolder();
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
        host.RefreshDownloadFolder();
        state.rememberedNewFolderCount = newFolders;
    }
    host.SetStatusText(QStringLiteral("%1张/%2张").arg(reading.reached).arg(reading.batchSize));
    // Out-of-range positions are clamped to the bar's range, not ignored.
    if (bar) bar->setValue(std::clamp(reading.furthest + 1, bar->minimum(), bar->maximum()));
}
