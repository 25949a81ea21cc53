#pragma once

#include <string>

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

// Registers an unfinished file for its lifetime; the file is removed when the process ends early.
class UnfinishedFileScope {
public:
    explicit UnfinishedFileScope(std::string path);
    ~UnfinishedFileScope();
    UnfinishedFileScope(const UnfinishedFileScope &) = delete;
    UnfinishedFileScope &operator=(const UnfinishedFileScope &) = delete;

private:
    std::string path_;
};

bool TransfersRunning();

// Removes every unfinished file and ends the process with `exitCode` at once. Transfers that try
// to start or finish meanwhile wait until the process is gone.
[[noreturn]] void EndProcessDuringTransfers(int exitCode);
