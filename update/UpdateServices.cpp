#include "update/UpdateServices.h"

#include <cstdio>
#include <cstdlib>

#include "download/DownloadProgress.h"
#include "download/FetchPicture.h"
#include "platform/WorkingFolder.h"
#include "service/PictureListService.h"

namespace {

bool AnnouncedEmptyBody(CURL *handle) {
    curl_off_t announced = -1;
    curl_off_t received = -1;
    curl_easy_getinfo(handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
    curl_easy_getinfo(handle, CURLINFO_SIZE_DOWNLOAD_T, &received);
    return announced == 0 && received == 0;
}

bool CreateEmptyFile(const std::string &path) {
    std::FILE *file = std::fopen(path.c_str(), "wb");
    return file && std::fclose(file) == 0;
}

}  // namespace

UpdateServices UpdateServices::Real() {
    UpdateServices services;
    services.requestVersionList = [] { return RequestVersionList(); };
    services.fetchFile = FetchUpdateFile;
    services.updateHost = UpdateHost();
    services.selfUpdate = !IsInstalledProgram();
    return services;
}

std::string UpdateHost() {
    const char *host = std::getenv("LUMORA_UPDATE_HOST");
    return host && *host ? std::string(host) : std::string(LUMORA_DEFAULT_UPDATE_HOST);
}

bool FetchUpdateFile(CURL *handle, std::string remoteAddress, std::string referrer,
                     std::string localPath) {
    // Without this an error page would be kept under the file's name.
    curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
    DownloadProgress progress;  // the update's own: nothing of it is shown
    const bool arrived =
        FetchPicture(handle, std::move(remoteAddress), std::move(referrer), localPath, progress);
    curl_easy_setopt(handle, CURLOPT_FAILONERROR, 0L);
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    const bool fileAnswer = status >= 200 && status < 300;
    // No data means no file written: an answer that announced an empty body is still a
    // complete, empty file of the new version.
    if (!arrived) return fileAnswer && AnnouncedEmptyBody(handle) && CreateEmptyFile(localPath);
    // Redirects are not followed, so only a 2xx answer carries the file itself; the body of
    // any other answer was written by this transfer and is no file of the new version.
    if (fileAnswer) return true;
    std::remove(localPath.c_str());
    return false;
}
