#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Where and how patiently the picture-list service is called.
struct ServiceOptions {
    std::string endpoint;  // "" means ServiceEndpoint()
    std::chrono::milliseconds connectTimeout{std::chrono::seconds(30)};
    // A call fails once nothing has gone either way for this long (a service that accepts the
    // connection and never answers, say); an answer that keeps coming, however slowly, is not
    // cut.
    std::chrono::milliseconds silenceLimit{std::chrono::seconds(30)};
};

// How a call ended, for a caller that may try again.
enum class CallOutcome {
    Answered,
    MayPassLater,  // the network or the service was not ready (see MayPassLater)
    Failed,        // any other failure: the same call would fail again
};

// LUMORA_SERVICE_ENDPOINT when set and not empty, else the build-time default.
std::string ServiceEndpoint();

// The text of the `delete` answer's `out` (nested markup kept literally, escaped text decoded);
// nullopt when `out` is absent or the call fails. Nothing is shown to the user.
// `reason`, when given, says in Chinese why a call failed ("连接被拒绝" and the like).
std::optional<std::string> RequestPictureList(const ServiceOptions &options,
                                              CallOutcome *outcome = nullptr,
                                              std::string *reason = nullptr);

// The strings of the `getVer` answer in document order, each passed through
// Utf8ToSystemCodePage; empty when the call fails.
std::vector<std::string> RequestVersionList();
std::vector<std::string> RequestVersionList(const ServiceOptions &options);

// The same answers read from memory: `body` is an answer's body as a service sends it with a
// 2xx status. Nothing is sent.
std::optional<std::string> ReadPictureListAnswer(std::string_view body);
std::vector<std::string> ReadVersionListAnswer(std::string_view body);

// Narrow strings are UTF-8 here: valid UTF-8 is kept, each invalid sequence becomes "?", and the
// text ends at its first NUL byte. The same rule, but for the end, applies to an answer's body
// before the SOAP runtime reads it.
std::string Utf8ToSystemCodePage(std::string_view utf8);
