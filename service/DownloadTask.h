#pragma once

#include <string>
#include <vector>

// One picture to fetch. Narrow strings are UTF-8.
struct DownloadTask {
    std::string localPath;      // full path of the file to write
    std::string referrer;       // host and optional path, no scheme; "" for none; "update" marks
                                // the self-update transfers, which skip the picture test
    std::string remoteAddress;  // host and path, no scheme
};

// The tasks of one download, in list order.
using DownloadBatch = std::vector<DownloadTask>;
