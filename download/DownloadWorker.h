#pragma once

#include "download/RetryPolicy.h"
#include "service/DownloadTask.h"

class ArrivalRecord;
struct DownloadProgress;

// One download worker. It claims its number in one atomic step (the first to find the batch
// size 0 is worker 0, the other worker 1), then fetches every second task from its number on
// with one libcurl handle, up to the size it claimed, publishing its next index in `progress`.
// Tasks beyond kMaxBatchTasks (the reach of the 16-bit batch-size counter) are not fetched.
// A transfer that failed in a way that may pass later is tried again as `retries` says (the
// window tries each task once). Every picture that arrives is added to `record`, when given.
void RunDownloadWorker(const DownloadBatch &batch, DownloadProgress &progress,
                       const RetryPolicy &retries = {}, ArrivalRecord *record = nullptr);
