#include "download/DownloadProgress.h"

#include <algorithm>

void DownloadProgress::CountUnsaved(int error) {
    ++unsavedCount[static_cast<int>(SaveFailureOf(error))];
}

ProgressReading ReadProgress(const DownloadProgress &progress) {
    const int first = progress.nextIndex[0];
    const int second = progress.nextIndex[1];
    ProgressReading reading;
    reading.batchSize = progress.batchSize;
    reading.furthest = std::max(first, second);
    reading.reached = std::min(reading.furthest, reading.batchSize);
    reading.finished =
        reading.furthest >= reading.batchSize + 1 && std::min(first, second) >= reading.batchSize;
    return reading;
}

SaveReport ReadSaveReport(const DownloadProgress &progress) {
    SaveReport report;
    report.kept = progress.keptCount;
    report.rejected = progress.rejectedCount;
    for (int kind = 0; kind < kSaveFailureKinds; ++kind)
        report.unsaved[static_cast<std::size_t>(kind)] = progress.unsavedCount[kind];
    return report;
}
