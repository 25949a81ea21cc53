#pragma once

#include <functional>
#include <memory>
#include <string>

#include "download/DownloadProgress.h"
#include "download/DownloadWorker.h"
#include "service/DownloadTask.h"
#include "service/ListBuilder.h"

// What the download command reaches outside the program: the list call that fills a batch and
// the start of the two workers. Tests replace them; the defaults are the real ones.
struct DownloadServices {
    std::function<bool(std::string dateFolder, DownloadBatch &batch)> buildList =
        [](std::string dateFolder, DownloadBatch &batch) {
            return ListBuilder(std::move(dateFolder), batch);
        };
    std::function<void(std::shared_ptr<const DownloadBatch> batch)> startWorkers =
        [](std::shared_ptr<const DownloadBatch> batch) {
            StartDownloadWorkers(std::move(batch), ProcessDownloadProgress());
        };
};
