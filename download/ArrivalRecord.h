#pragma once

#include <mutex>
#include <set>
#include <string>

// The pictures of one day that arrived, by their addresses, in a hidden file of the dated folder,
// so that a later download of the day can leave them out and pictures the user deleted do not
// come back. It goes with its folder. Each arrival is one line appended in one write, so a
// killed process leaves every line whole or missing; a last line cut short is not read.
class ArrivalRecord {
public:
    explicit ArrivalRecord(const std::string &dateFolder);
    ~ArrivalRecord();
    ArrivalRecord(const ArrivalRecord &) = delete;
    ArrivalRecord &operator=(const ArrivalRecord &) = delete;

    // The addresses recorded so far.
    std::set<std::string> Read() const;
    // Records that the picture at `remoteAddress` arrived. Callable from any thread; a record
    // that cannot be written is done without.
    void Add(const std::string &remoteAddress);

    const std::string &path() const { return path_; }

private:
    std::string path_;
    std::mutex mutex_;
    int fd_ = -1;  // opened at the first arrival
};

// The record's file name in the dated folder.
inline constexpr char kArrivalRecordName[] = ".lumora-arrived";
