#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>

// The mount an open file or folder belongs to: its device and, where the kernel tells, the
// mount's id, which also tells a bind mount of a folder of the same device apart.
struct MountIdentity {
    dev_t device = 0;
    std::uint64_t mount = 0;  // 0 where the kernel does not tell
    bool operator==(const MountIdentity &) const = default;
};

// Identifies the mount of the open descriptor `fd`; nullopt when it cannot be told.
using MountProbe = std::function<std::optional<MountIdentity>(int fd)>;

std::optional<MountIdentity> ProbeMount(int fd);
