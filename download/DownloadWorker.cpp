#include "download/DownloadWorker.h"

#include <algorithm>
#include <thread>

#include "download/DownloadProgress.h"
#include "download/FetchPicture.h"
#include "platform/TransferShutdown.h"
#include "service/CurlHandle.h"
#include "service/ListBuilder.h"

namespace {

int RunWorker(const DownloadBatch &batch, DownloadProgress &progress, const RetryPolicy &retries) {
    const auto size = static_cast<std::int16_t>(std::min(batch.size(), kMaxBatchTasks));
    const int number = progress.batchSize.exchange(size) == 0 ? 0 : 1;
    const CurlHandle handle = MakeCurlHandle();
    // The index lives here and is only published: a download started meanwhile resets the shared
    // counters, and must never send this worker back over its own batch.
    std::int32_t next = number;
    progress.nextIndex[number] = next;
    while (next < size) {
        const DownloadTask task = batch[static_cast<std::size_t>(next)];
        if (handle) {
            WithRetries(
                retries,
                [&] {
                    bool again = false;
                    FetchPicture(handle.get(), task.remoteAddress, task.referrer, task.localPath,
                                 progress, kMaxTransferBytes, &again);
                    return again;
                },
                [](std::chrono::milliseconds pause) { std::this_thread::sleep_for(pause); });
        }
        next += 2;
        progress.nextIndex[number] = next;
    }
    return 0;
}

}  // namespace

int DownloadWorker(std::shared_ptr<const DownloadBatch> batch, DownloadProgress &progress,
                   const RetryPolicy &retries) {
    const RunningTransferScope running;
    return batch ? RunWorker(*batch, progress, retries) : 0;
}

void StartDownloadWorkers(std::shared_ptr<const DownloadBatch> batch, DownloadProgress &progress) {
    for (int i = 0; i < 2; ++i) {
        // Counted as running from before the thread exists, so the program never ends normally
        // while a worker is about to start.
        auto running = std::make_shared<RunningTransferScope>();
        std::thread([batch, &progress, running] { DownloadWorker(batch, progress); }).detach();
    }
}
