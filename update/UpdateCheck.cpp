#include "update/UpdateCheck.h"

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <filesystem>

#include "download/FetchPicture.h"
#include "platform/Prompter.h"
#include "platform/TransferShutdown.h"
#include "service/CurlHandle.h"
#include "update/VersionRule.h"

namespace {

// Byte by byte: a name that is no UTF-8 is asked for as it is, not as U+FFFD.
std::string PercentEncoded(std::string_view text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()))
        .toPercentEncoding()
        .toStdString();
}

QString Versions(const std::string &latest) {
    return QStringLiteral("当前版本：") +
           QString::fromUtf8(kOwnVersion.data(), kOwnVersion.size()) +
           QStringLiteral("\n最新版本：") + QString::fromUtf8(latest);
}

// Every entry after the version must name a file directly inside temp/.
bool HasOnlySafeFileNames(const std::vector<std::string> &list) {
    return std::all_of(list.begin() + 1, list.end(),
                       [](const std::string &name) { return IsSafeUpdateFileName(name); });
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

UpdateCheck::UpdateCheck(Prompter &prompter, UpdateServices services, QObject *parent)
    : QObject(parent), prompter_(prompter), services_(std::move(services)) {}

UpdateCheck::~UpdateCheck() {
    if (calls_.joinable()) calls_.join();
}

bool UpdateCheck::CheckNow() {
    state_ = State::Running;
    const auto run = [this](const std::function<void()> &call) {
        if (runCall_) return runCall_(call);
        call();
        return true;
    };
    std::vector<std::string> list;
    const bool listed = run([&] {
        if (services_.requestVersionList) list = services_.requestVersionList();
    });
    bool fetched = false;
    if (listed && AgreeToFetch(list, false)) {
        // An incomplete version must never be handed to the update script.
        const bool waited = run([&] { fetched = FetchNewVersion(list); });
        if (waited && !fetched) TellConnectionFailure();
    }
    End(fetched);
    return fetched;
}

void UpdateCheck::CheckInBackground() {
    if (state_ == State::Running) return;
    state_ = State::Running;
    if (calls_.joinable()) calls_.join();
    // Each step's calls run on the thread; what it found comes back here, where the questions
    // are asked. Counted as running, so that the program ends at once rather than tear the
    // prompter and the rest down under it.
    calls_ = std::thread([this, running = std::make_shared<RunningTransferScope>()] {
        std::vector<std::string> list = services_.requestVersionList
                                            ? services_.requestVersionList()
                                            : std::vector<std::string>();
        QMetaObject::invokeMethod(this, [this, list = std::move(list)] {
            if (!AgreeToFetch(list, true)) {
                End(false);
                return;
            }
            calls_.join();
            calls_ = std::thread([this, list, running = std::make_shared<RunningTransferScope>()] {
                const bool fetched = FetchNewVersion(list);
                QMetaObject::invokeMethod(this, [this, fetched] { End(fetched); });
            });
        });
    });
}

bool UpdateCheck::AgreeToFetch(const std::vector<std::string> &list, bool silent) {
    // A list naming files outside temp/ is as useless as no list at all.
    if (list.empty() || !HasOnlySafeFileNames(list)) {
        if (!silent) TellConnectionFailure();
        return false;
    }
    if (!IsNewerVersion(list[0])) {
        if (!silent)
            prompter_.ShowMessage(nullptr,
                                  {QStringLiteral("当前已是最新版本"), QStringLiteral("Lumora1.00"),
                                   Buttons::Ok, Icon::Information});
        return false;
    }
    // Files from the update host are never run by the installed program.
    if (!services_.selfUpdate) {
        prompter_.ShowMessage(nullptr,
                              {Versions(list[0]) + QStringLiteral(",请通过软件包管理器更新"),
                               QStringLiteral("有新版本"), Buttons::Ok, Icon::Information});
        return false;
    }
    return prompter_.ShowMessage(nullptr, {Versions(list[0]) + QStringLiteral(",是否更新?"),
                                           QStringLiteral("有新版本"), Buttons::YesNo,
                                           Icon::Question}) == Answer::Yes;
}

bool UpdateCheck::FetchNewVersion(const std::vector<std::string> &list) const {
    const RunningTransferScope running;
    std::error_code error;
    std::filesystem::create_directory(kUpdateFolder, error);
    if (!std::filesystem::is_directory(kUpdateFolder, error)) return false;
    const CurlHandle handle = MakeCurlHandle();
    if (!handle) return false;
    for (size_t i = 1; i < list.size(); ++i) {
        DownloadTask task = UpdateTransfer(services_.updateHost, list[0], list[i]);
        if (!services_.fetchFile ||
            !services_.fetchFile(handle.get(), std::move(task.remoteAddress),
                                 std::move(task.referrer), std::move(task.localPath)))
            return false;
    }
    return true;
}

void UpdateCheck::TellConnectionFailure() {
    prompter_.ShowMessage(nullptr, {QStringLiteral("连接服务器失败"), QStringLiteral("更新失败"),
                                    Buttons::Ok, Icon::None});
}

void UpdateCheck::End(bool fetched) {
    state_ = State::Ended;
    emit ended(fetched);
}
