// The version list of the update service, one entry per line: the version, then the file names.
#include <QByteArray>
#include <vector>

#include "FuzzSupport.h"
#include "support/ScriptedPrompter.h"
#include "update/UpdateCheck.h"
#include "update/VersionRule.h"

namespace {

constexpr std::string_view kHost = "updates.example:8080";

std::vector<std::string> Entries(std::string_view text) {
    std::vector<std::string> entries;
    while (!text.empty()) {
        const auto [entry, rest] = SplitOnce(text, '\n');
        entries.emplace_back(entry);
        text = rest;
    }
    return entries;
}

// One path segment of the address: only unreserved characters and escapes, never a dot segment,
// and it decodes to exactly the bytes it stands for.
void CheckSegment(std::string_view segment, std::string_view original) {
    for (char c : segment) {
        const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                                (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
                                c == '~' || c == '%';
        FUZZ_CHECK(unreserved);
    }
    FUZZ_CHECK(segment != "." && segment != "..");
    const QByteArray decoded = QByteArray::fromPercentEncoding(
        QByteArray(segment.data(), static_cast<qsizetype>(segment.size())));
    FUZZ_CHECK(decoded == QByteArray(original.data(), static_cast<qsizetype>(original.size())));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    EnterScratchFolder();  // the check creates temp/ in the working folder
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::vector<std::string> list = Entries(AsText(data, size));

    std::vector<DownloadTask> transfers;
    UpdateServices services;
    services.updateHost = std::string(kHost);
    services.requestVersionList = [&] { return list; };
    services.fetchFile = [&](CURL *, std::string remote, std::string referrer, std::string local) {
        transfers.push_back({std::move(local), std::move(referrer), std::move(remote)});
        return true;
    };
    ScriptedPrompter prompter;
    prompter.QueueAnswer(Answer::Yes);
    const bool updated = UpdateCheck(prompter, services).CheckNow();

    // Files are fetched only for a newer version whose every name stays inside temp/, and then
    // all of them, in order.
    bool allSafe = !list.empty();
    for (std::size_t i = 1; i < list.size(); ++i)
        allSafe = allSafe && IsSafeUpdateFileName(list[i]);
    FUZZ_CHECK(updated == (allSafe && IsNewerVersion(list[0])));
    FUZZ_CHECK(transfers.size() == (updated ? list.size() - 1 : 0));
    for (std::size_t i = 0; i < transfers.size(); ++i) {
        const std::string &name = list[i + 1];
        FUZZ_CHECK(transfers[i].localPath == std::string(kUpdateFolder) + "/" + name);
        FUZZ_CHECK(transfers[i].referrer == "update");
        const std::string prefix = std::string(kHost) + "/version/";
        const std::string_view remote = transfers[i].remoteAddress;
        FUZZ_CHECK(remote.substr(0, prefix.size()) == prefix);
        const auto [version, file] = SplitOnce(remote.substr(prefix.size()), '/');
        CheckSegment(version, list[0]);
        CheckSegment(file, name);
    }
    return 0;
}
