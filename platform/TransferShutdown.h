#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/ProcessIdentity.h"

// Bookkeeping that lets the program end while transfers still run: it then ends at once, without
// running static destructors under the workers, and removes the files they had not finished.

// Counts a download worker or a transfer as running for its lifetime.
class RunningTransferScope {
public:
    RunningTransferScope();
    ~RunningTransferScope();
    RunningTransferScope(const RunningTransferScope &) = delete;
    RunningTransferScope &operator=(const RunningTransferScope &) = delete;
};

// The file one transfer writes before it is judged, in the folder of the file it is meant to
// become. Its name, ".lumora-<pid>-<start ticks>-<n>.part", is one that no other transfer of this
// process or of another ever uses, so no transfer writes into, renames or removes another's file.
// While the object lives the file is locked (flock) and registered for removal at an early end;
// the object removes it unless it was promoted.
class UnfinishedFile {
public:
    explicit UnfinishedFile(std::string folder);
    ~UnfinishedFile();
    UnfinishedFile(const UnfinishedFile &) = delete;
    UnfinishedFile &operator=(const UnfinishedFile &) = delete;

    // Creates the file (exclusively, for reading and writing). False when it cannot be; then
    // error() tells why.
    bool Create();
    bool created() const { return fd_ >= 0; }
    // Writes all of `data`; false when the file system refused some of it (error() tells why).
    bool Write(const char *data, std::size_t size);
    // Ends the writing; false when the file system reported a failure of an earlier write.
    bool FinishWriting();
    // Gives the file `finalPath` in one step, replacing a file of that name.
    bool Promote(const std::string &finalPath);

    const std::string &path() const { return path_; }
    // The file open for reading while the object lives (after Create); -1 before.
    int readFd() const { return lockFd_; }
    int error() const { return error_; }

private:
    std::string folder_;
    std::string path_;
    int fd_ = -1;      // the written file, until FinishWriting
    int lockFd_ = -1;  // holds the lock until the object ends
    bool promoted_ = false;
    int error_ = 0;
};

// The process that an unfinished file's name says wrote it; nullopt for any other name.
std::optional<ProcessIdentity> UnfinishedFileOwner(std::string_view fileName);

bool TransfersRunning();

// Removes every unfinished file and ends the process with `exitCode` at once. Transfers that try
// to start or finish meanwhile wait until the process is gone.
[[noreturn]] void EndProcessDuringTransfers(int exitCode);
