#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Where and how patiently the picture-list service is called; a time-out of 0 means none.
struct ServiceOptions {
    std::string endpoint;  // "" means ServiceEndpoint()
    std::chrono::milliseconds connectTimeout{std::chrono::seconds(30)};
    std::chrono::milliseconds sendTimeout{std::chrono::seconds(100)};
    std::chrono::milliseconds receiveTimeout{std::chrono::seconds(100)};  // per read
    // The whole call, from the connection to the answer's last byte: a service that trickles
    // its answer cannot hold the caller longer.
    std::chrono::milliseconds callDeadline{std::chrono::seconds(100)};
};

// LUMORA_SERVICE_ENDPOINT when set and not empty, else the build-time default.
std::string ServiceEndpoint();

// The text of the `delete` answer's `out` (nested markup kept literally, escaped text decoded);
// nullopt when `out` is absent or the call fails. Nothing is shown to the user.
std::optional<std::string> RequestPictureList();
std::optional<std::string> RequestPictureList(const ServiceOptions &options);

// The strings of the `getVer` answer in document order, each passed through
// Utf8ToSystemCodePage; empty when the call fails.
std::vector<std::string> RequestVersionList();
std::vector<std::string> RequestVersionList(const ServiceOptions &options);

// The same two calls with the answer read from memory instead of the wire: `answer` is the
// whole HTTP response, status line and headers included. Nothing is sent. For checking how
// answers are read without a server.
std::optional<std::string> ReadPictureListAnswer(std::string_view answer);
std::vector<std::string> ReadVersionListAnswer(std::string_view answer);

// Narrow strings are UTF-8 here: valid UTF-8 is kept, each invalid sequence becomes "?", and the
// text ends at its first NUL byte. The same rule applies to the answers' bytes as they arrive,
// before the SOAP runtime reads them.
std::string Utf8ToSystemCodePage(std::string_view utf8);

// The "?" rule over a stream that arrives in pieces: a sequence cut by the end of one piece is
// completed by the next, and one still cut when the stream ends becomes "?".
class Utf8StreamCleaner {
public:
    // The cleaned text of `piece` after what came before.
    std::string Clean(std::string_view piece);
    // What is still held back when the stream ends.
    std::string Finish();

private:
    std::string held_;
};
