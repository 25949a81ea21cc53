#include <curl/curl.h>
#include <gtest/gtest.h>

namespace {

// libcurl's global state, set up once before any test starts a transfer or a thread.
class CurlEnvironment : public ::testing::Environment {
public:
    void SetUp() override { curl_global_init(CURL_GLOBAL_DEFAULT); }
    void TearDown() override { curl_global_cleanup(); }
};

[[maybe_unused]] const auto *const kCurlEnvironment =
    ::testing::AddGlobalTestEnvironment(new CurlEnvironment);

}  // namespace
