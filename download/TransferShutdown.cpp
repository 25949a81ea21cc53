#include "download/TransferShutdown.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>

namespace {

std::atomic<int> g_runningTransfers{0};

// Leaked on purpose: it must outlive every detached worker, static destruction included.
struct UnfinishedFiles {
    std::mutex mutex;
    std::multiset<std::string> paths;
};

UnfinishedFiles &Unfinished() {
    static auto *files = new UnfinishedFiles;
    return *files;
}

}  // namespace

RunningTransferScope::RunningTransferScope() { ++g_runningTransfers; }

RunningTransferScope::~RunningTransferScope() { --g_runningTransfers; }

UnfinishedFileScope::UnfinishedFileScope(std::string path) : path_(std::move(path)) {
    UnfinishedFiles &files = Unfinished();
    std::lock_guard lock(files.mutex);
    files.paths.insert(path_);
}

UnfinishedFileScope::~UnfinishedFileScope() {
    UnfinishedFiles &files = Unfinished();
    std::lock_guard lock(files.mutex);
    if (const auto found = files.paths.find(path_); found != files.paths.end())
        files.paths.erase(found);
}

bool TransfersRunning() { return g_runningTransfers > 0; }

void EndProcessDuringTransfers(int exitCode) {
    UnfinishedFiles &files = Unfinished();
    files.mutex.lock();  // held until the end: no transfer registers or finishes a file meanwhile
    for (const std::string &path : files.paths) std::remove(path.c_str());
    std::fflush(nullptr);
    std::_Exit(exitCode);
}
