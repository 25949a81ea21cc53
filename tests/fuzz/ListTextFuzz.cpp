// List text from the service, through the descrambler, into download tasks.
#include <algorithm>
#include <ctime>

#include "FuzzSupport.h"
#include "service/LinkDescrambling.h"
#include "service/PictureList.h"

namespace {

const std::string kDateFolder = "/pictures/2010-05-03";

std::string TheDayKey() {
    std::tm date{};
    date.tm_year = 110, date.tm_mon = 4, date.tm_mday = 3, date.tm_wday = 1;
    return DayKey(date);
}

bool HasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

// <dateFolder>/<title>/<title> <n>.jpg, both names short enough for the longest part file a
// transfer writes beside the picture, and neither a step out of the date folder.
void CheckLocalPath(const std::string &path) {
    FUZZ_CHECK(path.compare(0, kDateFolder.size() + 1, kDateFolder + "/") == 0);
    const std::string_view below = std::string_view(path).substr(kDateFolder.size() + 1);
    const auto [title, fileName] = SplitOnce(below, '/');
    FUZZ_CHECK(fileName.find('/') == std::string_view::npos);
    FUZZ_CHECK(title != "." && title != "..");
    FUZZ_CHECK(title.size() <= kMaxTitleBytes && IsCleanUtf8(title));
    FUZZ_CHECK(!HasControlCharacter(title));
    FUZZ_CHECK(fileName.substr(0, title.size()) == title);
    const std::string_view number = fileName.substr(title.size());
    FUZZ_CHECK(number.size() >= 6 && number.front() == ' ' &&
               number.substr(number.size() - 4) == ".jpg");
    const int n = std::stoi(std::string(number.substr(1, number.size() - 5)));
    FUZZ_CHECK(n >= 1 && n <= static_cast<int>(kMaxBatchTasks));
    FUZZ_CHECK(fileName.size() + std::string_view(".99999.part").size() <= 255);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static const std::string dayKey = TheDayKey();
    const std::string_view list = AsText(data, size);

    // An odd first byte starts from a nearly full batch, so that the task limit is reached.
    static DownloadBatch nearlyFull(kMaxBatchTasks - 2);
    DownloadBatch empty;
    DownloadBatch &batch = size > 0 && (data[0] & 1) ? nearlyFull : empty;
    const std::size_t before = batch.size();

    AppendTasksFromList(list, kDateFolder, dayKey, batch);
    FUZZ_CHECK(batch.size() <= kMaxBatchTasks);
    for (std::size_t i = before; i < batch.size(); ++i) {
        CheckLocalPath(batch[i].localPath);
        FUZZ_CHECK(!HasControlCharacter(batch[i].referrer));
        FUZZ_CHECK(!HasControlCharacter(batch[i].remoteAddress));
    }

    // The descrambler keeps every field's length, at any position and with any key.
    const auto [field, key] = SplitOnce(list, '\n');
    const int position = size > 1 ? data[1] * 131 : 0;
    FUZZ_CHECK(DescrambleLink(std::string(field), position, std::string(key)).size() ==
               field.size());
    batch.resize(before);
    return 0;
}
