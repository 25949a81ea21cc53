#pragma once

#include <QtGlobal>
#include <memory>

#include "service/DownloadTask.h"

// What the frame keeps of the current or last download between the command and its timer.
struct DownloadState {
    // Shared with the workers, so the batch outlives every worker that reads it.
    std::shared_ptr<DownloadBatch> batch = std::make_shared<DownloadBatch>();
    qint16 rememberedNewFolderCount = 0;  // new-folder count as of the last refresh by the timer
};
