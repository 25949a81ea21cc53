#pragma once

#include <curl/curl.h>

#include <cstddef>
#include <cstdio>
#include <string>

struct DownloadProgress;

// Suffix of the file a transfer writes; it gets the picture's name only once it passed the test.
inline constexpr char kUnfinishedSuffix[] = ".part";

// The write target of one transfer: the file is opened on the first data, not before.
struct FileSink {
    std::string path;
    std::FILE *file = nullptr;
};

// libcurl write callback: opens the sink's file on the first data ("wb") and appends to it.
// Returns the number of items written, or (size_t)-1 when the file cannot be opened, which
// aborts the transfer.
std::size_t WriteToLazyFile(char *data, std::size_t itemSize, std::size_t itemCount, void *sink);

// Fetches "http://" + remoteAddress with `handle` into localPath. The folder of localPath is
// created (one level; counted in the new-folder count when it was created). The data goes to
// localPath + ".part" (another name while a running transfer writes that one), which is renamed
// to localPath only when the transfer completed and the file decodes as a picture of at least
// 10583 x 10583 HIMETRIC units; the referrer "update" skips that test. True: a complete file
// arrived (kept, or deleted as too small). False: no data, a cut-off transfer, or no picture.
bool FetchPicture(CURL *handle, std::string remoteAddress, std::string referrer,
                  std::string localPath);
// The same, counting created folders in `progress` instead of the process-wide counters.
bool FetchPicture(CURL *handle, std::string remoteAddress, std::string referrer,
                  std::string localPath, DownloadProgress &progress);
