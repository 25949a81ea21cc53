#include "download/DownloadSession.h"

#include <sys/stat.h>

#include <set>
#include <thread>

#include "download/AbandonedFiles.h"
#include "download/DownloadWorker.h"
#include "platform/DirectoryListing.h"
#include "platform/FileNames.h"
#include "platform/TransferShutdown.h"
#include "service/PictureList.h"

DownloadSession::Services DownloadSession::Services::Real(const RetryPolicy &retries) {
    Services services;
    services.buildList = [](const std::string &dateFolder, DownloadBatch &batch) {
        return RequestDownloadTasks(dateFolder, batch, ServiceOptions{});
    };
    services.runWorker = [retries](const DownloadBatch &batch, DownloadProgress &progress,
                                   ArrivalRecord &record) {
        RunDownloadWorker(batch, progress, retries, &record);
    };
    return services;
}

DownloadSession::DownloadSession(Services services, std::chrono::milliseconds tick, QObject *parent)
    : QObject(parent), services_(std::move(services)) {
    timer_.setInterval(tick);
    connect(&timer_, &QTimer::timeout, this, &DownloadSession::Tick);
}

DownloadSession::Start DownloadSession::Begin(const QString &root, const QDate &day, bool newOnly) {
    if (running_) return Start::AlreadyRunning;
    const QString dateFolder = JoinPath(root, day.toString(QStringLiteral("yyyy-MM-dd")));
    // A fresh batch: workers of an earlier download may still hold the previous one.
    batch_ = std::make_shared<DownloadBatch>();
    const std::string nativeDateFolder = EncodeFileName(dateFolder).toStdString();
    if (!services_.buildList || !services_.buildList(nativeDateFolder, *batch_))
        return Start::NoConnection;
    if (batch_->empty()) return Start::NoTasks;
    auto record = std::make_shared<ArrivalRecord>(nativeDateFolder);
    if (newOnly) {
        const std::set<std::string> arrived = record->Read();
        std::erase_if(*batch_,
                      [&](const DownloadTask &task) { return arrived.count(task.remoteAddress); });
        if (batch_->empty()) return Start::NothingNew;
    }
    record_ = std::move(record);

    const bool created = ::mkdir(nativeDateFolder.c_str(), 0777) == 0;
    dateFolder_ = dateFolder;
    running_ = true;
    emit dateFolderReady(dateFolder, created);
    // Files that killed processes left below the root; a running process's files stay.
    RemoveAbandonedFiles(root);
    progress_ = std::make_shared<DownloadProgress>();
    rememberedNewFolders_ = 0;
    StartWorkers();
    timer_.start();
    return Start::Started;
}

void DownloadSession::StartWorkers() {
    const std::shared_ptr<const DownloadBatch> batch = batch_;
    for (int i = 0; i < 2; ++i) {
        {
            std::lock_guard lock(workers_->mutex);
            ++workers_->running;
        }
        // Counted as running from before the thread exists, so the program never ends normally
        // while a worker is about to start.
        auto running = std::make_shared<RunningTransferScope>();
        std::thread([batch, progress = progress_, record = record_, workers = workers_,
                     run = services_.runWorker, running] {
            if (run) run(*batch, *progress, *record);
            std::lock_guard lock(workers->mutex);
            --workers->running;
            workers->ended.notify_all();
        }).detach();
    }
}

void DownloadSession::Tick() {
    if (!running_) return;
    const ProgressReading reading = ReadProgress(*progress_);
    if (reading.finished) {
        timer_.stop();
        running_ = false;
        emit finished(reading, ReadSaveReport(*progress_));
        return;
    }
    const qint16 newFolders = progress_->newFolderCount;
    const bool appeared = newFolders > rememberedNewFolders_;
    if (appeared) rememberedNewFolders_ = newFolders;
    emit progressed(reading, appeared);
}

void DownloadSession::WaitForWorkers() {
    std::unique_lock lock(workers_->mutex);
    workers_->ended.wait(lock, [this] { return workers_->running == 0; });
}
