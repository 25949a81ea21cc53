#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A process as other processes can recognise it later: its id and its start time (clock ticks
// since boot), which together never name two processes of one boot.
struct ProcessIdentity {
    pid_t pid = 0;
    std::uint64_t startTicks = 0;
    bool operator==(const ProcessIdentity &) const = default;
};

ProcessIdentity ThisProcess();

// Whether the process still runs. A process of another PID namespace is not seen.
bool IsRunning(const ProcessIdentity &process);

// "<pid>-<start ticks>", and back; nullopt for any other text.
std::string ToToken(const ProcessIdentity &process);
std::optional<ProcessIdentity> FromToken(std::string_view token);
