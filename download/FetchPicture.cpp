#include "download/FetchPicture.h"

#include <sys/stat.h>

#include <QString>

#include "download/DownloadProgress.h"
#include "download/PictureTest.h"
#include "download/TransferShutdown.h"
#include "platform/FileNames.h"

namespace {

constexpr char kUserAgent[] = "FireFox";
constexpr char kUpdateReferrer[] = "update";
constexpr long kTransferTimeoutSeconds = 100;

// Creates the single folder that holds `localPath`; a folder that exists or whose parent is
// missing is left alone.
void CreateTaskFolder(const std::string &localPath, DownloadProgress &progress) {
    const std::size_t slash = localPath.rfind('/');
    if (slash == std::string::npos || slash == 0) return;
    if (::mkdir(localPath.substr(0, slash).c_str(), 0777) == 0) ++progress.newFolderCount;
}

// Gives the finished file its final name, replacing an earlier file of that name.
bool Promote(const std::string &partPath, const std::string &localPath) {
    if (std::rename(partPath.c_str(), localPath.c_str()) == 0) return true;
    std::remove(partPath.c_str());
    return false;
}

}  // namespace

std::size_t WriteToLazyFile(char *data, std::size_t itemSize, std::size_t itemCount, void *sink) {
    auto &target = *static_cast<FileSink *>(sink);
    if (itemSize * itemCount == 0) return 0;  // no data yet: no file either
    if (!target.file) {
        target.file = std::fopen(target.path.c_str(), "wb");
        if (!target.file) return static_cast<std::size_t>(-1);
    }
    return std::fwrite(data, itemSize, itemCount, target.file);
}

bool FetchPicture(CURL *handle, std::string remoteAddress, std::string referrer,
                  std::string localPath) {
    return FetchPicture(handle, std::move(remoteAddress), std::move(referrer), std::move(localPath),
                        ProcessDownloadProgress());
}

bool FetchPicture(CURL *handle, std::string remoteAddress, std::string referrer,
                  std::string localPath, DownloadProgress &progress) {
    const RunningTransferScope running;
    CreateTaskFolder(localPath, progress);

    const UnfinishedFileScope unfinished(localPath, kUnfinishedSuffix);
    const std::string &partPath = unfinished.path();
    FileSink sink{partPath, nullptr};
    const std::string referer = referrer.empty() ? std::string() : "http://" + referrer;
    const std::string url = "http://" + remoteAddress;

    curl_easy_setopt(handle, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(handle, CURLOPT_REFERER, referer.c_str());
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, kTransferTimeoutSeconds);
    curl_easy_setopt(handle, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &WriteToLazyFile);
    const CURLcode result = curl_easy_perform(handle);

    if (!sink.file) return false;
    const bool written = std::fclose(sink.file) == 0;
    // A cut-off transfer may still decode (missing rows come out grey): never keep it.
    if (result != CURLE_OK || !written) {
        std::remove(partPath.c_str());
        return false;
    }
    if (referrer == kUpdateReferrer) return Promote(partPath, localPath);

    switch (JudgePicture(DecodeFileName(partPath))) {
        case PictureVerdict::Accepted:
            return Promote(partPath, localPath);
        case PictureVerdict::TooSmall:
            std::remove(partPath.c_str());
            return true;
        case PictureVerdict::NotAPicture:
            break;
    }
    std::remove(partPath.c_str());
    return false;
}
