#include "download/DownloadProgress.h"

void DownloadProgress::Reset() {
    batchSize = 0;
    nextIndex[0] = 0;
    nextIndex[1] = 0;
}

DownloadProgress &ProcessDownloadProgress() {
    static DownloadProgress progress;
    return progress;
}
