#include "service/PictureList.h"

#include <algorithm>
#include <optional>

#include "service/LinkDescrambling.h"

namespace {

constexpr std::string_view kFieldOpen = "<ns1:string>";
constexpr std::string_view kFieldClose = "</ns1:string>";
constexpr std::string_view kEntryClose = "</xsd:anyType>";

struct Field {
    std::string_view text;
    std::size_t end;  // just past the field's closing tag
};

// The text between the first field opening tag at or after `from` and the closing tag after it.
std::optional<Field> NextField(std::string_view list, std::size_t from) {
    const std::size_t open = list.find(kFieldOpen, from);
    if (open == std::string_view::npos) return std::nullopt;
    const std::size_t start = open + kFieldOpen.size();
    const std::size_t close = list.find(kFieldClose, start);
    if (close == std::string_view::npos) return std::nullopt;
    return Field{list.substr(start, close - start), close + kFieldClose.size()};
}

// CR, LF and the like would break out of an HTTP header or a URL.
bool HasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

std::string RemoteAddress(const std::string &baseAddress, const std::string &name) {
    const char flag = name.back();
    const std::string_view stem(name.data(), name.size() - 1);
    std::string address;
    address.reserve(baseAddress.size() + name.size() + 5);
    address.append(baseAddress).append("/");
    if (flag == '0') return address.append(stem).append(".jpg");
    if (flag == '1') return address.append(stem).append(".jpeg");
    return address.append(name);
}

std::string LocalPath(const std::string &dateFolder, const std::string &title, int pictureNumber) {
    const std::string number = std::to_string(pictureNumber);
    std::string path;
    path.reserve(dateFolder.size() + 2 * title.size() + number.size() + 7);
    return path.append(dateFolder)
        .append("/")
        .append(title)
        .append("/")
        .append(title)
        .append(" ")
        .append(number)
        .append(".jpg");
}

}  // namespace

std::string CleanTitle(std::string_view title) {
    std::string clean(title);
    for (char &c : clean) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '/') c = '_';
    }
    if (clean.size() > kMaxTitleBytes) {
        std::size_t cut = kMaxTitleBytes;
        // Step back over continuation bytes so no character is split.
        while (cut > 0 && (static_cast<unsigned char>(clean[cut]) & 0xC0) == 0x80) --cut;
        clean.resize(cut);
    }
    if (clean == "." || clean == "..") clean.assign(clean.size(), '_');
    return clean;
}

void AppendTasksFromList(std::string_view listText, const std::string &dateFolder,
                         const std::string &dayKey, DownloadBatch &batch) {
    std::string referrer, baseAddress, title;
    int pictureNumber = 0;
    // The service scrambles by list position; a dropped entry still uses up its position.
    long long position = static_cast<long long>(batch.size());
    std::size_t pos = 0;
    std::size_t entryClose = listText.find(kEntryClose);

    while (batch.size() < kMaxBatchTasks) {
        if (entryClose != std::string_view::npos && entryClose < pos) {
            entryClose = listText.find(kEntryClose, pos);
        }
        if (entryClose == std::string_view::npos) break;
        const int N = static_cast<int>(position);

        const auto link = NextField(listText, pos);
        if (!link) break;
        if (!link->text.empty()) {
            const std::string plain = DescrambleLink(std::string(link->text), N, dayKey);
            const std::size_t backslash = plain.find('\\');
            if (backslash == std::string::npos) {
                referrer = baseAddress = plain;
            } else {
                referrer = plain.substr(0, backslash);
                baseAddress = plain.substr(backslash + 1);
            }
            pictureNumber = 0;
        }
        ++pictureNumber;

        const auto titleField = NextField(listText, link->end);
        if (!titleField) break;
        if (!titleField->text.empty()) title = CleanTitle(Utf8ToSystemCodePage(titleField->text));

        const auto nameField = NextField(listText, titleField->end);
        if (!nameField || nameField->text.empty()) break;
        const std::string name = DescrambleLink(std::string(nameField->text), N, dayKey);

        // The entry's closing tag follows the last field directly.
        if (nameField->end + kEntryClose.size() > listText.size()) break;
        pos = nameField->end + kEntryClose.size();
        ++position;

        std::string remoteAddress = RemoteAddress(baseAddress, name);
        if (HasControlCharacter(referrer) || HasControlCharacter(remoteAddress)) continue;
        batch.push_back(DownloadTask{LocalPath(dateFolder, title, pictureNumber), referrer,
                                     std::move(remoteAddress)});
    }
}

bool RequestDownloadTasks(const std::string &dateFolder, DownloadBatch &batch,
                          const ServiceOptions &options, CallOutcome *outcome,
                          std::string *reason) {
    batch.clear();
    const std::optional<std::string> list = RequestPictureList(options, outcome, reason);
    if (!list) return false;
    AppendTasksFromList(*list, dateFolder, DayKey(), batch);
    return true;
}
