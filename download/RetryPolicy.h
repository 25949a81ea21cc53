#pragma once

#include <chrono>

// How often an unattended download tries a list call or a transfer again after a failure that
// may pass later, and how long it waits before each try: the first pause, then twice as long
// each time. The window tries once.
struct RetryPolicy {
    int retries = 0;
    std::chrono::milliseconds firstPause{std::chrono::seconds(10)};

    // The pause before try number `retry` (1 for the first retry).
    std::chrono::milliseconds PauseBefore(int retry) const {
        return firstPause * (1LL << (retry - 1));
    }
};

// Runs `attempt` (which returns whether a failure may pass later) until it succeeds, fails for
// good, or has been retried `policy.retries` times; `pause` waits between tries.
template <typename Attempt, typename Pause>
void WithRetries(const RetryPolicy &policy, Attempt attempt, Pause pause) {
    for (int retry = 1; attempt() && retry <= policy.retries; ++retry)
        pause(policy.PauseBefore(retry));
}
