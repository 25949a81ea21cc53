#include "update/VersionRule.h"

bool IsNewerVersion(std::string_view latest) {
    if (latest.size() != kOwnVersion.size()) return false;
    for (size_t i = 0; i < latest.size(); ++i) {
        const auto candidate = static_cast<unsigned char>(latest[i]);
        const auto own = static_cast<unsigned char>(kOwnVersion[i]);
        if (candidate != own) return candidate > own;
    }
    return false;
}

bool IsSafeUpdateFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    return name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}
