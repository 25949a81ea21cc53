#include "update/UpdateChecker.h"

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <filesystem>
#include <memory>

#include "platform/Prompter.h"
#include "update/VersionRule.h"

std::atomic<std::int16_t> updateState{0};

namespace {

constexpr char kUpdateReferrer[] = "update";

// Marks a check as running for its whole scope, whichever way it leaves.
class RunningCheck {
public:
    RunningCheck() { updateState = 1; }
    ~RunningCheck() { updateState = 2; }
    RunningCheck(const RunningCheck &) = delete;
    RunningCheck &operator=(const RunningCheck &) = delete;
};

// Byte by byte: a name that is no UTF-8 is asked for as it is, not as U+FFFD.
std::string PercentEncoded(std::string_view text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()))
        .toPercentEncoding()
        .toStdString();
}

void ReportConnectionFailure(Prompter &prompter) {
    prompter.ShowMessage(nullptr, {QStringLiteral("连接服务器失败"), QStringLiteral("更新失败"),
                                   Buttons::Ok, Icon::None});
}

void ReportAlreadyLatest(Prompter &prompter) {
    prompter.ShowMessage(nullptr, {QStringLiteral("当前已是最新版本"), QStringLiteral("Lumora1.00"),
                                   Buttons::Ok, Icon::Information});
}

QString Versions(const std::string &latest) {
    return QStringLiteral("当前版本：") +
           QString::fromUtf8(kOwnVersion.data(), kOwnVersion.size()) +
           QStringLiteral("\n最新版本：") + QString::fromUtf8(latest);
}

bool AskToUpdate(Prompter &prompter, const std::string &latest) {
    return prompter.ShowMessage(nullptr, {Versions(latest) + QStringLiteral(",是否更新?"),
                                          QStringLiteral("有新版本"), Buttons::YesNo,
                                          Icon::Question}) == Answer::Yes;
}

void TellToUsePackageManager(Prompter &prompter, const std::string &latest) {
    prompter.ShowMessage(nullptr, {Versions(latest) + QStringLiteral(",请通过软件包管理器更新"),
                                   QStringLiteral("有新版本"), Buttons::Ok, Icon::Information});
}

// Every entry after the version must name a file directly inside temp/.
bool HasOnlySafeFileNames(const std::vector<std::string> &list) {
    return std::all_of(list.begin() + 1, list.end(),
                       [](const std::string &name) { return IsSafeUpdateFileName(name); });
}

// Fetches entries 1 to n-1 in list order, stopping at the first file that does not arrive.
bool FetchNewVersion(const UpdateServices &services, const std::vector<std::string> &list) {
    std::error_code error;
    std::filesystem::create_directory(kUpdateFolder, error);
    if (!std::filesystem::is_directory(kUpdateFolder, error)) return false;

    const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> handle(curl_easy_init(),
                                                                     &curl_easy_cleanup);
    if (!handle) return false;
    for (size_t i = 1; i < list.size(); ++i) {
        DownloadTask task = UpdateTransfer(services.updateHost, list[0], list[i]);
        if (!services.fetchFile ||
            !services.fetchFile(handle.get(), std::move(task.remoteAddress),
                                std::move(task.referrer), std::move(task.localPath)))
            return false;
    }
    return true;
}

}  // namespace

DownloadTask UpdateTransfer(std::string_view updateHost, std::string_view version,
                            std::string_view fileName) {
    DownloadTask task;
    task.localPath = std::string(kUpdateFolder) + "/" + std::string(fileName);
    task.referrer = kUpdateReferrer;
    task.remoteAddress = std::string(updateHost) + "/version/" + PercentEncoded(version) + "/" +
                         PercentEncoded(fileName);
    return task;
}

bool UpdateChecker(bool silent, Prompter &prompter, const UpdateServices &services) {
    RunningCheck running;
    const std::vector<std::string> list =
        services.requestVersionList ? services.requestVersionList() : std::vector<std::string>();

    // A list naming files outside temp/ is as useless as no list at all.
    if (list.empty() || !HasOnlySafeFileNames(list)) {
        if (!silent) ReportConnectionFailure(prompter);
        return false;
    }
    if (!IsNewerVersion(list[0])) {
        if (!silent) ReportAlreadyLatest(prompter);
        return false;
    }
    // Files from the update host are never run by the installed program.
    if (!services.selfUpdate) {
        TellToUsePackageManager(prompter, list[0]);
        return false;
    }
    if (!AskToUpdate(prompter, list[0])) return false;

    // An incomplete version must never be handed to the update script.
    if (!FetchNewVersion(services, list)) {
        if (!silent) ReportConnectionFailure(prompter);
        return false;
    }
    return true;
}
