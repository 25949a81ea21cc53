// Answers of the service's two operations, read by the generated deserialiser through the
// program's own receive filters, from memory.
#include <cstdio>
#include <optional>
#include <vector>

#include "FuzzSupport.h"
#include "download/PictureListService.h"

namespace {

std::string WithLength(std::string_view body) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + std::string(body);
}

// The body in chunks whose sizes follow from its own bytes, so every split is tried somewhere.
std::string Chunked(std::string_view body) {
    std::string answer =
        "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nTransfer-Encoding: chunked\r\n\r\n";
    char line[32];
    for (std::size_t at = 0; at < body.size();) {
        const std::size_t length =
            std::min<std::size_t>(body.size() - at, 1 + static_cast<unsigned char>(body[at]) % 61);
        std::snprintf(line, sizeof line, "%zx\r\n", length);
        answer.append(line).append(body.substr(at, length)).append("\r\n");
        at += length;
    }
    return answer + "0\r\n\r\n";
}

void CheckVersions(const std::vector<std::string> &versions) {
    for (const std::string &text : versions) FUZZ_CHECK(IsCleanUtf8(text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view input = AsText(data, size);

    // As a whole HTTP response: status line, headers and body as they came.
    const std::optional<std::string> rawList = ReadPictureListAnswer(input);
    if (rawList) FUZZ_CHECK(rawList->find('\0') == std::string::npos);
    CheckVersions(ReadVersionListAnswer(input));

    // As a body: framing must not change what is read from it.
    const std::optional<std::string> list = ReadPictureListAnswer(WithLength(input));
    FUZZ_CHECK(ReadPictureListAnswer(Chunked(input)) == list);
    const std::vector<std::string> versions = ReadVersionListAnswer(WithLength(input));
    CheckVersions(versions);
    FUZZ_CHECK(ReadVersionListAnswer(Chunked(input)) == versions);
    return 0;
}
