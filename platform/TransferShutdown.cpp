#include "platform/TransferShutdown.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>

namespace {

constexpr std::string_view kNamePrefix = ".lumora-";
constexpr std::string_view kNameSuffix = ".part";

std::atomic<int> g_runningTransfers{0};

// Leaked on purpose: it must outlive every detached worker, static destruction included.
struct UnfinishedFiles {
    std::mutex mutex;
    std::set<std::string> paths;
    unsigned long long lastNumber = 0;
    std::string selfToken;  // this process, read from /proc once rather than for every file
};

UnfinishedFiles &Unfinished() {
    static auto *files = new UnfinishedFiles;
    return *files;
}

void CloseIfOpen(int &fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

}  // namespace

RunningTransferScope::RunningTransferScope() { ++g_runningTransfers; }

RunningTransferScope::~RunningTransferScope() { --g_runningTransfers; }

UnfinishedFile::UnfinishedFile(std::string folder) : folder_(std::move(folder)) {}

UnfinishedFile::~UnfinishedFile() {
    CloseIfOpen(fd_);
    if (lockFd_ < 0) return;
    if (!promoted_) ::unlink(path_.c_str());
    {
        UnfinishedFiles &files = Unfinished();
        std::lock_guard lock(files.mutex);
        files.paths.erase(path_);
    }
    CloseIfOpen(lockFd_);  // the lock goes with the last descriptor of the file
}

bool UnfinishedFile::Create() {
    UnfinishedFiles &files = Unfinished();
    // Held while the file is made and registered, so that an early end never misses it.
    std::lock_guard lock(files.mutex);
    if (files.selfToken.empty()) files.selfToken = ToToken(ThisProcess());
    const std::string stem = folder_ + "/" + std::string(kNamePrefix) + files.selfToken + "-";
    // A name of a process that ran before with the same identity (an earlier boot) is skipped.
    do {
        path_ = stem + std::to_string(++files.lastNumber) + std::string(kNameSuffix);
        fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    } while (fd_ < 0 && errno == EEXIST);
    if (fd_ < 0) {
        error_ = errno;
        return false;
    }
    ::flock(fd_, LOCK_EX | LOCK_NB);  // a new file: nobody else can hold it
    lockFd_ = ::dup(fd_);
    if (lockFd_ < 0) {
        error_ = errno;
        CloseIfOpen(fd_);
        ::unlink(path_.c_str());
        return false;
    }
    files.paths.insert(path_);
    return true;
}

bool UnfinishedFile::Write(const char *data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd_, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            error_ = written < 0 ? errno : ENOSPC;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool UnfinishedFile::FinishWriting() {
    const int fd = fd_;
    fd_ = -1;
    if (fd >= 0 && ::close(fd) != 0) {
        error_ = errno;
        return false;
    }
    return true;
}

bool UnfinishedFile::Promote(const std::string &finalPath) {
    if (lockFd_ < 0 || ::rename(path_.c_str(), finalPath.c_str()) != 0) {
        error_ = lockFd_ < 0 ? ENOENT : errno;
        return false;
    }
    promoted_ = true;
    return true;
}

std::optional<ProcessIdentity> UnfinishedFileOwner(std::string_view fileName) {
    if (!fileName.starts_with(kNamePrefix) || !fileName.ends_with(kNameSuffix)) return std::nullopt;
    fileName.remove_prefix(kNamePrefix.size());
    fileName.remove_suffix(kNameSuffix.size());
    const std::size_t lastDash = fileName.rfind('-');
    if (lastDash == std::string_view::npos) return std::nullopt;
    const std::string_view number = fileName.substr(lastDash + 1);
    if (number.empty() || number.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    return FromToken(fileName.substr(0, lastDash));
}

bool TransfersRunning() { return g_runningTransfers > 0; }

void EndProcessDuringTransfers(int exitCode) {
    UnfinishedFiles &files = Unfinished();
    files.mutex.lock();  // held until the end: no transfer registers or finishes a file meanwhile
    for (const std::string &path : files.paths) std::remove(path.c_str());
    std::fflush(nullptr);
    std::_Exit(exitCode);
}
