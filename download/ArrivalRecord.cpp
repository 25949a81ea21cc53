#include "download/ArrivalRecord.h"

#include <fcntl.h>
#include <unistd.h>

#include <fstream>

ArrivalRecord::ArrivalRecord(const std::string &dateFolder)
    : path_(dateFolder + "/" + kArrivalRecordName) {}

ArrivalRecord::~ArrivalRecord() {
    if (fd_ >= 0) ::close(fd_);
}

std::set<std::string> ArrivalRecord::Read() const {
    std::set<std::string> addresses;
    std::ifstream file(path_, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        if (end > start) addresses.insert(text.substr(start, end - start));
    return addresses;
}

void ArrivalRecord::Add(const std::string &remoteAddress) {
    if (remoteAddress.empty() || remoteAddress.find('\n') != std::string::npos) return;
    std::string line = remoteAddress + "\n";
    std::lock_guard lock(mutex_);
    if (fd_ < 0) {
        fd_ = ::open(path_.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        // A line that a killed process left unfinished is ended first, never continued.
        char last = '\n';
        const off_t size = fd_ >= 0 ? ::lseek(fd_, 0, SEEK_END) : 0;
        if (size > 0 && ::pread(fd_, &last, 1, size - 1) == 1 && last != '\n')
            line.insert(line.begin(), '\n');
    }
    if (fd_ < 0) return;
    // One write, so that the line lands whole or not at all; a failed one is done without.
    [[maybe_unused]] const ssize_t written = ::write(fd_, line.data(), line.size());
}
