#include <gtest/gtest.h>

#include <vector>

#include "download/RetryPolicy.h"
#include "service/TransferFailure.h"

namespace {

using namespace std::chrono_literals;

// Which failed exchanges are worth another try.
TEST(RetryDecision, OnlyFailuresThatMayPassLater) {
    const struct {
        CURLcode result;
        long status;
        bool again;
    } outcomes[] = {
        {CURLE_OK, 200, false},
        {CURLE_OK, 404, false},
        {CURLE_OK, 403, false},
        {CURLE_OK, 429, true},
        {CURLE_OK, 500, true},
        {CURLE_OK, 503, true},
        {CURLE_COULDNT_CONNECT, 0, true},
        {CURLE_COULDNT_RESOLVE_HOST, 0, true},
        {CURLE_OPERATION_TIMEDOUT, 0, true},
        {CURLE_RECV_ERROR, 200, true},
        {CURLE_PARTIAL_FILE, 200, true},
        {CURLE_GOT_NOTHING, 0, true},
        {CURLE_WRITE_ERROR, 200, false},
        {CURLE_FILESIZE_EXCEEDED, 200, false},
        {CURLE_UNSUPPORTED_PROTOCOL, 0, false},
    };
    for (const auto &outcome : outcomes)
        EXPECT_EQ(MayPassLater(outcome.result, outcome.status), outcome.again)
            << curl_easy_strerror(outcome.result) << " " << outcome.status;
}

TEST(RetryPolicy, TriesAgainAfterGrowingPausesUntilItPassesOrRunsOut) {
    const RetryPolicy policy{3, 10ms};
    const struct {
        int failuresBeforePassing;  // tries that fail for now before one passes
        int tries;
        std::vector<std::chrono::milliseconds> pauses;
    } cases[] = {
        {0, 1, {}}, {1, 2, {10ms}}, {3, 4, {10ms, 20ms, 40ms}}, {9, 4, {10ms, 20ms, 40ms}}};
    for (const auto &c : cases) {
        int tries = 0;
        std::vector<std::chrono::milliseconds> pauses;
        WithRetries(
            policy, [&] { return tries++ < c.failuresBeforePassing; },
            [&](std::chrono::milliseconds pause) { pauses.push_back(pause); });
        EXPECT_EQ(tries, c.tries);
        EXPECT_EQ(pauses, c.pauses);
    }
}

}  // namespace
