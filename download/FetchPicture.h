#pragma once

#include <curl/curl.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "picture/PictureRule.h"

struct DownloadProgress;
class UnfinishedFile;

// Longest body a transfer takes: no larger file can pass the picture rule. A longer one ends the
// transfer as soon as it passes this size, and nothing of it is kept.
inline constexpr std::int64_t kMaxTransferBytes = kMaxPictureFileBytes;

// The write target of one transfer: the file is created on the first data, not before.
struct FileSink {
    UnfinishedFile *file = nullptr;
    std::int64_t written = 0;
    std::int64_t limit = kMaxTransferBytes;
    bool tooLarge = false;  // the body passed the limit
};

// libcurl write callback: creates the sink's file on the first data and appends to it. Returns
// the number of items written; anything else (the file cannot be created or written, or the body
// passed its limit) aborts the transfer.
std::size_t WriteToLazyFile(char *data, std::size_t itemSize, std::size_t itemCount, void *sink);

// The referrer that marks the self-update's transfers, which skip the picture test.
inline constexpr char kUpdateReferrer[] = "update";

// Fetches "http://" + remoteAddress with `handle` into localPath. The folder of localPath is
// created (one level; counted in the progress's new-folder count when it was created). The data
// goes to an unfinished file of this transfer's own in that folder, which gets the name localPath
// only when the transfer completed within `maxBytes` and the file decodes as a picture of at
// least 10583 x 10583 HIMETRIC units; the referrer "update" skips that test. True: a complete
// file arrived (kept, or deleted as too small). False: no data, a cut-off or too long transfer,
// no picture, or a file that could not be written, which is counted in `progress` by its reason.
// A too small picture, and an answer that is no picture but no busy server's page either, count
// as rejected in `progress`.
// `mayPassLater`, when given, tells whether a false result may turn out otherwise when tried
// again (see MayPassLater): nothing was kept and the network or the server was not ready.
bool FetchPicture(CURL *handle, std::string remoteAddress, std::string referrer,
                  std::string localPath, DownloadProgress &progress,
                  std::int64_t maxBytes = kMaxTransferBytes, bool *mayPassLater = nullptr);
