#include "platform/ProcessIdentity.h"

#include <unistd.h>

#include <charconv>
#include <fstream>
#include <iterator>

namespace {

// Field 22 of /proc/<pid>/stat. The command name (field 2) may hold spaces and parentheses, so
// the count starts after its last ')'.
std::optional<std::uint64_t> StartTicksOf(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    const std::string text{std::istreambuf_iterator<char>(stat), {}};
    const std::size_t nameEnd = text.rfind(')');
    if (nameEnd == std::string::npos) return std::nullopt;
    std::size_t at = nameEnd + 1;
    for (int field = 3; field <= 22; ++field) {
        at = text.find_first_not_of(' ', at);
        if (at == std::string::npos) return std::nullopt;
        if (field == 22) break;
        at = text.find(' ', at);
    }
    std::uint64_t ticks = 0;
    const auto [end, error] = std::from_chars(text.data() + at, text.data() + text.size(), ticks);
    if (error != std::errc()) return std::nullopt;
    return ticks;
}

template <typename Number>
bool ParseWhole(std::string_view text, Number &value) {
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

ProcessIdentity ThisProcess() {
    const pid_t self = ::getpid();
    return {self, StartTicksOf(self).value_or(0)};
}

bool IsRunning(const ProcessIdentity &process) {
    return process.pid > 0 && StartTicksOf(process.pid) == process.startTicks;
}

std::string ToToken(const ProcessIdentity &process) {
    return std::to_string(process.pid) + "-" + std::to_string(process.startTicks);
}

std::optional<ProcessIdentity> FromToken(std::string_view token) {
    const std::size_t dash = token.find('-');
    if (dash == std::string_view::npos) return std::nullopt;
    ProcessIdentity process;
    if (!ParseWhole(token.substr(0, dash), process.pid) || process.pid <= 0 ||
        !ParseWhole(token.substr(dash + 1), process.startTicks))
        return std::nullopt;
    return process;
}
