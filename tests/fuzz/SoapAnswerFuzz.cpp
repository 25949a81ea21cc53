// Answers of the service's two operations, as the body of a 2xx answer, read by the generated
// deserialiser from memory.
#include <optional>
#include <vector>

#include "FuzzSupport.h"
#include "service/PictureListService.h"

namespace {

void CheckVersions(const std::vector<std::string> &versions) {
    for (const std::string &text : versions) FUZZ_CHECK(IsCleanUtf8(text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view body = AsText(data, size);
    const std::optional<std::string> list = ReadPictureListAnswer(body);
    if (list) FUZZ_CHECK(list->find('\0') == std::string::npos);
    const std::vector<std::string> versions = ReadVersionListAnswer(body);
    CheckVersions(versions);

    // The "?" rule is applied before the runtime reads a byte: a body cleaned beforehand reads
    // the same.
    if (body.find('\0') != std::string_view::npos) return 0;
    const std::string clean = Utf8ToSystemCodePage(body);
    FUZZ_CHECK(ReadPictureListAnswer(clean) == list);
    FUZZ_CHECK(ReadVersionListAnswer(clean) == versions);
    return 0;
}
