#include "download/DownloadWorker.h"

#include <algorithm>
#include <thread>

#include "download/ArrivalRecord.h"
#include "download/DownloadProgress.h"
#include "download/FetchPicture.h"
#include "platform/TransferShutdown.h"
#include "service/CurlHandle.h"
#include "service/PictureList.h"

void RunDownloadWorker(const DownloadBatch &batch, DownloadProgress &progress,
                       const RetryPolicy &retries, ArrivalRecord *record) {
    const RunningTransferScope running;
    const auto size = static_cast<std::int16_t>(std::min(batch.size(), kMaxBatchTasks));
    const int number = progress.batchSize.exchange(size) == 0 ? 0 : 1;
    const CurlHandle handle = MakeCurlHandle();
    // The index lives here and is only published.
    std::int32_t next = number;
    progress.nextIndex[number] = next;
    while (next < size) {
        const DownloadTask task = batch[static_cast<std::size_t>(next)];
        if (handle) {
            WithRetries(
                retries,
                [&] {
                    bool again = false;
                    if (FetchPicture(handle.get(), task.remoteAddress, task.referrer,
                                     task.localPath, progress, kMaxTransferBytes, &again) &&
                        record)
                        record->Add(task.remoteAddress);
                    return again;
                },
                [](std::chrono::milliseconds pause) { std::this_thread::sleep_for(pause); });
        }
        next += 2;
        progress.nextIndex[number] = next;
    }
}
