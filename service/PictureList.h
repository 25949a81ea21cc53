#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "service/DownloadTask.h"
#include "service/PictureListService.h"

// A batch never holds more tasks than the signed 16-bit progress counter can count.
inline constexpr std::size_t kMaxBatchTasks = 32767;

// Longest title kept: "<title> <n>.jpg" stays within the 255-byte name limit of the usual Linux
// file systems for every n up to kMaxBatchTasks, with room to spare. Pictures downloaded before
// carry names cut at this length, so it stays as it is.
inline constexpr std::size_t kMaxTitleBytes = 255 - (1 + 5 + 4 + 6 + 5);

// Empties the batch, fetches today's picture list and appends one task per entry. Returns false
// when the service gave no list text (the batch stays empty), true otherwise.
bool RequestDownloadTasks(const std::string &dateFolder, DownloadBatch &batch,
                          const ServiceOptions &options, CallOutcome *outcome = nullptr,
                          std::string *reason = nullptr);

// Parses list text in one pass and appends its tasks to the batch, at most kMaxBatchTasks in all.
// Local paths are dateFolder + "/" + title + "/" + title + " " + n + ".jpg". An entry whose
// referrer or remote address holds a control character gives no task; the parse goes on.
void AppendTasksFromList(std::string_view listText, const std::string &dateFolder,
                         const std::string &dayKey, DownloadBatch &batch);

// Makes a service title safe as one folder and file name component below the date folder:
// "/", NUL and the other control characters (0x01-0x1F, 0x7F) become "_"; a title longer than
// kMaxTitleBytes is cut at a UTF-8 character boundary; a title "." or ".." becomes "_" or "__".
// Any other title, the empty one included, is returned unchanged.
std::string CleanTitle(std::string_view title);
