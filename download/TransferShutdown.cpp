#include "download/TransferShutdown.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>

namespace {

std::atomic<int> g_runningTransfers{0};

// Leaked on purpose: it must outlive every detached worker, static destruction included.
struct UnfinishedFiles {
    std::mutex mutex;
    std::set<std::string> paths;
};

UnfinishedFiles &Unfinished() {
    static auto *files = new UnfinishedFiles;
    return *files;
}

}  // namespace

RunningTransferScope::RunningTransferScope() { ++g_runningTransfers; }

RunningTransferScope::~RunningTransferScope() { --g_runningTransfers; }

UnfinishedFileScope::UnfinishedFileScope(const std::string &stem, const std::string &suffix)
    : path_(stem + suffix) {
    UnfinishedFiles &files = Unfinished();
    std::lock_guard lock(files.mutex);
    for (int n = 2; files.paths.count(path_) != 0; ++n)
        path_ = stem + "." + std::to_string(n) + suffix;
    files.paths.insert(path_);
}

UnfinishedFileScope::~UnfinishedFileScope() {
    UnfinishedFiles &files = Unfinished();
    std::lock_guard lock(files.mutex);
    files.paths.erase(path_);
}

bool TransfersRunning() { return g_runningTransfers > 0; }

void EndProcessDuringTransfers(int exitCode) {
    UnfinishedFiles &files = Unfinished();
    files.mutex.lock();  // held until the end: no transfer registers or finishes a file meanwhile
    for (const std::string &path : files.paths) std::remove(path.c_str());
    std::fflush(nullptr);
    std::_Exit(exitCode);
}
