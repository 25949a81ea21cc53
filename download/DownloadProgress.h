#pragma once

#include <atomic>
#include <cstdint>

#include "download/SaveFailures.h"

// Counters the two workers of a download publish and its session reads without a lock.
struct DownloadProgress {
    // Tasks of the running download; each worker sets it when it claims its number.
    std::atomic<std::int16_t> batchSize{0};
    // Index of the task each worker takes next: worker 0 the even ones, worker 1 the odd ones.
    std::atomic<std::int32_t> nextIndex[2] = {0, 0};
    // Folders created by the download's fetches.
    std::atomic<std::int16_t> newFolderCount{0};
    // Pictures of the running download kept under their names, and those that arrived but could
    // not be written, by SaveFailure.
    std::atomic<std::int32_t> keptCount{0};
    // Complete answers that the picture test turned away: too small, or no picture at all.
    std::atomic<std::int32_t> rejectedCount{0};
    // Bytes the download's transfers received.
    std::atomic<std::int64_t> receivedBytes{0};
    std::atomic<std::int32_t> unsavedCount[kSaveFailureKinds] = {};

    void CountUnsaved(int error);
};

// One reading of the counters, as the progress display shows it.
struct ProgressReading {
    int batchSize = 0;      // n
    int furthest = 0;       // the larger next index, b
    int reached = 0;        // tasks reached: the smaller of b and n
    bool finished = false;  // both workers passed the end: one index at n + 1, the other at n
};
ProgressReading ReadProgress(const DownloadProgress &progress);
SaveReport ReadSaveReport(const DownloadProgress &progress);
