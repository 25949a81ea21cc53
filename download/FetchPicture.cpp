#include "download/FetchPicture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QString>
#include <cerrno>

#include "download/DownloadProgress.h"
#include "picture/PictureTest.h"
#include "platform/FileNames.h"
#include "platform/TransferShutdown.h"
#include "service/TransferFailure.h"

namespace {

constexpr char kUserAgent[] = "FireFox";
constexpr long kTransferTimeoutSeconds = 100;

std::string FolderOfPath(const std::string &localPath) {
    const std::size_t slash = localPath.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : localPath.substr(0, slash);
}

// Creates the single folder that holds `localPath`; a folder that exists or whose parent is
// missing is left alone.
void CreateTaskFolder(const std::string &folder, DownloadProgress &progress) {
    if (folder == "." || folder == "/") return;
    // A look first: creating takes the parent folder's lock even when the folder exists.
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) return;
    if (::mkdir(folder.c_str(), 0777) == 0) ++progress.newFolderCount;
}

// Why nothing can be created in `folder` after a call failed with `error`: a missing folder whose
// nearest existing ancestor cannot be written to is a read-only or forbidden place, not a
// missing one.
int WhyNotCreated(const std::string &folder, int error) {
    if (error != ENOENT) return error;
    std::string ancestor = folder;
    struct stat info {};
    while (::stat(ancestor.c_str(), &info) != 0) {
        if (errno != ENOENT || ancestor == "/" || ancestor == ".") return error;
        ancestor = FolderOfPath(ancestor);
    }
    return ::faccessat(AT_FDCWD, ancestor.c_str(), W_OK, AT_EACCESS) == 0 ? error : errno;
}

}  // namespace

std::size_t WriteToLazyFile(char *data, std::size_t itemSize, std::size_t itemCount, void *sink) {
    auto &target = *static_cast<FileSink *>(sink);
    const std::size_t size = itemSize * itemCount;
    if (size == 0) return 0;  // no data yet: no file either
    target.written += static_cast<std::int64_t>(size);
    if (target.written > target.limit) {
        target.tooLarge = true;
        return 0;
    }
    if (!target.file->created() && !target.file->Create()) return 0;
    return target.file->Write(data, size) ? itemCount : 0;
}

bool FetchPicture(CURL *handle, std::string remoteAddress, std::string referrer,
                  std::string localPath, DownloadProgress &progress, std::int64_t maxBytes,
                  bool *mayPassLater) {
    const RunningTransferScope running;
    if (mayPassLater) *mayPassLater = false;
    const std::string folder = FolderOfPath(localPath);
    CreateTaskFolder(folder, progress);

    UnfinishedFile file(folder);
    FileSink sink{&file, 0, maxBytes, false};
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
    // An announced length beyond the limit ends the transfer before any data.
    curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maxBytes));
    const CURLcode result = curl_easy_perform(handle);
    progress.receivedBytes += sink.written;
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    // Nothing kept, and the network or the server was not ready: another try may do better.
    const auto notReady = [&] {
        if (mayPassLater && !sink.tooLarge) *mayPassLater = MayPassLater(result, status);
        return false;
    };

    const bool isUpdate = referrer == kUpdateReferrer;
    // The data arrived but could not be written: a local failure the download reports.
    const auto unsaved = [&] {
        if (!isUpdate) progress.CountUnsaved(WhyNotCreated(folder, file.error()));
        return false;
    };
    if (!file.created()) return sink.written > 0 && !sink.tooLarge ? unsaved() : notReady();
    if (!file.FinishWriting() || file.error() != 0) return unsaved();
    // A cut-off transfer may still decode (missing rows come out grey): never keep it.
    if (result != CURLE_OK || sink.tooLarge) return notReady();
    if (isUpdate) return file.Promote(localPath) || unsaved();

    switch (JudgePicture(DecodeFileName(file.path()), file.readFd())) {
        case PictureVerdict::Accepted:
            if (!file.Promote(localPath)) return unsaved();
            ++progress.keptCount;
            return true;
        case PictureVerdict::TooSmall:
            ++progress.rejectedCount;
            return true;
        case PictureVerdict::NotAPicture:
            break;
    }
    // An error page of a server that was busy is tried again; any other answer was no picture.
    notReady();
    if (!MayPassLater(result, status)) ++progress.rejectedCount;
    return false;
}
