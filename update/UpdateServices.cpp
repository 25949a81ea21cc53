#include "update/UpdateServices.h"

#include <cstdio>
#include <cstdlib>

#include "download/FetchPicture.h"
#include "download/PictureListService.h"

UpdateServices UpdateServices::Real() {
    UpdateServices services;
    services.requestVersionList = [] { return RequestVersionList(); };
    services.fetchFile = FetchUpdateFile;
    services.updateHost = UpdateHost();
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
    const bool arrived =
        FetchPicture(handle, std::move(remoteAddress), std::move(referrer), localPath);
    curl_easy_setopt(handle, CURLOPT_FAILONERROR, 0L);
    if (!arrived) return false;
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    // Redirects are not followed, so only a 2xx answer carries the file itself; the body of
    // any other answer was written by this transfer and is no file of the new version.
    if (status >= 200 && status < 300) return true;
    std::remove(localPath.c_str());
    return false;
}
