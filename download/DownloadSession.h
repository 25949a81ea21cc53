#pragma once

#include <QDate>
#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "download/ArrivalRecord.h"
#include "download/DownloadProgress.h"
#include "download/RetryPolicy.h"
#include "service/DownloadTask.h"

// One download of a day's pictures below a download root: the list call, the dated folder, the
// removal of the files that killed processes left, the two workers, their progress, and the
// report of the pictures that could not be saved. The workers' counters are read at each tick;
// the progress and the end are told by signals, the end at the first tick that finds both
// workers past the end of the batch. Nobody waits for the workers: a session that goes while
// they run leaves them the batch and the counters, which they share.
class DownloadSession : public QObject {
    Q_OBJECT
public:
    // What the session reaches outside: the list call that fills the batch for a dated folder
    // (false when the service gave no list text), and one worker over a batch, which adds the
    // pictures that arrived to the day's record. Tests replace them.
    struct Services {
        std::function<bool(const std::string &dateFolder, DownloadBatch &batch)> buildList;
        std::function<void(const DownloadBatch &batch, DownloadProgress &progress,
                           ArrivalRecord &record)>
            runWorker;

        // The service's list and the real workers, each transfer tried again as `retries` says.
        static Services Real(const RetryPolicy &retries = {});
    };
    enum class Start {
        Started,
        AlreadyRunning,
        NoConnection,
        NoTasks,
        NothingNew,  // every listed picture had arrived before (newOnly)
    };

    // `tick` is the period of the progress readings.
    DownloadSession(Services services, std::chrono::milliseconds tick, QObject *parent = nullptr);

    // Asks for `day`'s list and, when it names pictures, creates the dated folder below `root`,
    // starts the workers and the ticks. With `newOnly`, the pictures recorded as arrived that day
    // are left out. A failed start creates nothing.
    Start Begin(const QString &root, const QDate &day, bool newOnly = false);
    bool isRunning() const { return running_; }
    // The dated folder of the current or last download.
    const QString &dateFolder() const { return dateFolder_; }
    const DownloadBatch &batch() const { return *batch_; }
    // The counters of the current or last download; they live on while the caller holds them.
    std::shared_ptr<const DownloadProgress> progress() const { return progress_; }
    // Reads the counters as a tick does.
    void Tick();
    // Blocks until the workers of the last download have ended (a tool that ends the process
    // once the download is done).
    void WaitForWorkers();

signals:
    // The dated folder exists, `created` just now or found there; no worker has started yet.
    void dateFolderReady(const QString &dateFolder, bool created);
    // A tick while the workers run; `newFolders` when fetches created folders since the last
    // tick that said so.
    void progressed(const ProgressReading &reading, bool newFolders);
    // The first tick that finds both workers done.
    void finished(const ProgressReading &reading, const SaveReport &report);

private:
    // Counts the workers that still run.
    struct Workers {
        std::mutex mutex;
        std::condition_variable ended;
        int running = 0;
    };

    void StartWorkers();

    Services services_;
    QTimer timer_;
    bool running_ = false;
    QString dateFolder_;
    std::shared_ptr<DownloadBatch> batch_ = std::make_shared<DownloadBatch>();
    std::shared_ptr<DownloadProgress> progress_ = std::make_shared<DownloadProgress>();
    std::shared_ptr<Workers> workers_ = std::make_shared<Workers>();
    std::shared_ptr<ArrivalRecord> record_;
    qint16 rememberedNewFolders_ = 0;  // the new-folder count as of the last tick that told it
};
