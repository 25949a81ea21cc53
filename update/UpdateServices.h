#pragma once

#include <curl/curl.h>

#include <functional>
#include <string>
#include <vector>

// What a version check reaches outside the program. Tests inject fakes; an empty function
// counts as a failure of that step.
struct UpdateServices {
    // The service's version list: entry 0 the latest version, then its file names. Empty on any
    // failure.
    std::function<std::vector<std::string>()> requestVersionList;
    // One file transfer on the caller's handle; false when the file did not arrive complete.
    std::function<bool(CURL *handle, std::string remoteAddress, std::string referrer,
                       std::string localPath)>
        fetchFile;
    // Host and optional port of the update server, no scheme.
    std::string updateHost;
    // Whether the program may replace itself with files it fetched. The installed program is
    // the package manager's to update: it only says that a newer version exists.
    bool selfUpdate = true;

    // The picture-list service, FetchUpdateFile and UpdateHost(); self-update unless this is
    // the installed program.
    static UpdateServices Real();
};

// LUMORA_UPDATE_HOST when set and not empty, else the build-time default.
std::string UpdateHost();

// FetchPicture with the update referrer, judged by the whole transfer: an HTTP error status or a
// body shorter than announced counts as a file that did not arrive; an announced empty body
// arrives as an empty file.
bool FetchUpdateFile(CURL *handle, std::string remoteAddress, std::string referrer,
                     std::string localPath);
