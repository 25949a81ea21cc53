#pragma once

#include <memory>

#include "download/RetryPolicy.h"
#include "service/DownloadTask.h"

struct DownloadProgress;

// One download worker. It claims its number in one atomic step (the first to find the batch
// size 0 is worker 0, the other worker 1), then fetches every second task from its number on
// with one libcurl handle, up to the size it claimed, publishing its next index in `progress`.
// Tasks beyond kMaxBatchTasks (the reach of the 16-bit batch-size counter) are not fetched.
// A transfer that failed in a way that may pass later is tried again as `retries` says (the
// window tries each task once). Returns 0.
int DownloadWorker(std::shared_ptr<const DownloadBatch> batch, DownloadProgress &progress,
                   const RetryPolicy &retries = {});

// Starts the two workers of a download on detached threads; nobody waits for them. They keep
// the batch alive until they are done.
void StartDownloadWorkers(std::shared_ptr<const DownloadBatch> batch, DownloadProgress &progress);
