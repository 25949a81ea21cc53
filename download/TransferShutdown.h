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
// The file is stem + suffix, or when another running transfer holds that name, the first free of
// stem + ".2" + suffix, stem + ".3" + suffix, ...: two transfers never write into one file.
class UnfinishedFileScope {
public:
    UnfinishedFileScope(const std::string &stem, const std::string &suffix);
    ~UnfinishedFileScope();
    UnfinishedFileScope(const UnfinishedFileScope &) = delete;
    UnfinishedFileScope &operator=(const UnfinishedFileScope &) = delete;

    const std::string &path() const { return path_; }

private:
    std::string path_;
};

bool TransfersRunning();

// Removes every unfinished file and ends the process with `exitCode` at once. Transfers that try
// to start or finish meanwhile wait until the process is gone.
[[noreturn]] void EndProcessDuringTransfers(int exitCode);
