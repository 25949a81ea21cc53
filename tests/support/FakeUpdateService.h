#pragma once

#include <QString>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "service/DownloadTask.h"
#include "update/UpdateServices.h"

// Stands in for the version list and the file transfers: answers with `list`, records every
// transfer, and writes the file unless its name is in `missing`.
class FakeUpdateService {
public:
    std::vector<std::string> list;
    std::set<std::string> missing;

    UpdateServices Services(std::string host = "updates.test:81");
    std::vector<DownloadTask> transfers() const;
    int versionRequests() const;

private:
    mutable std::mutex mutex_;
    std::vector<DownloadTask> transfers_;
    int versionRequests_ = 0;
};
