#include "support/FakeUpdateService.h"

#include <fstream>

UpdateServices FakeUpdateService::Services(std::string host) {
    UpdateServices services;
    services.requestVersionList = [this] {
        std::lock_guard lock(mutex_);
        ++versionRequests_;
        return list;
    };
    services.fetchFile = [this](CURL *handle, std::string remoteAddress, std::string referrer,
                                std::string localPath) {
        std::lock_guard lock(mutex_);
        transfers_.push_back({localPath, referrer, remoteAddress});
        const std::string name = localPath.substr(localPath.rfind('/') + 1);
        if (!handle || missing.count(name)) return false;
        std::ofstream(localPath, std::ios::binary) << "content of " << name;
        return true;
    };
    services.updateHost = std::move(host);
    return services;
}

std::vector<DownloadTask> FakeUpdateService::transfers() const {
    std::lock_guard lock(mutex_);
    return transfers_;
}

int FakeUpdateService::versionRequests() const {
    std::lock_guard lock(mutex_);
    return versionRequests_;
}
