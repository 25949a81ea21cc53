#include <curl/curl.h>
#include <pthread.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QEventLoop>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>
#include <thread>

#include "FetchEnd.h"
#include "download/DownloadSession.h"
#include "download/RetryPolicy.h"
#include "platform/DirectoryListing.h"
#include "platform/FileNames.h"
#include "platform/SettingsStore.h"
#include "platform/TransferShutdown.h"
#include "platform/WorkingFolder.h"
#include "service/PictureList.h"

namespace {

constexpr auto kProgressPeriod = std::chrono::seconds(2);
constexpr auto kPollPeriod = std::chrono::milliseconds(20);
constexpr int kDefaultRetries = 2;
constexpr int kMostRetries = 10;
constexpr double kDefaultRetryWaitSeconds = 10;
constexpr double kLongestRetryWaitSeconds = 3600;

struct FetchSettings {
    QString root;  // empty: the one stored in config/t.ini
    bool notify = false;
    RetryPolicy retries;
};

void PrintLine(const QString &text) {
    std::printf("%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

// Wrong arguments: the reason and the usage line on stderr, exit code 64.
int UsageError(const QString &reason) {
    std::fprintf(stderr,
                 "lumora-fetch: %s\n"
                 "Usage: lumora-fetch [options] [--root <folder>]\n"
                 "Try 'lumora-fetch --help' for more information.\n",
                 reason.toUtf8().constData());
    return kFetchUsage;
}

// SIGINT and SIGTERM end the program at once with 128 + the signal, removing the files that its
// transfers had not finished. They are taken by a thread of their own, so every other thread runs
// with them blocked and no handler interrupts a transfer.
void EndOnTerminationSignals() {
    sigset_t endingSignals;
    sigemptyset(&endingSignals);
    sigaddset(&endingSignals, SIGINT);
    sigaddset(&endingSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &endingSignals, nullptr);
    std::thread([endingSignals] {
        int received = 0;
        while (sigwait(&endingSignals, &received) != 0) {
        }
        EndProcessDuringTransfers(128 + received);
    }).detach();
}

// The options, or the exit code of a usage error.
std::optional<FetchSettings> ParseArguments(QCoreApplication &app, int *exitCode) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Downloads today's pictures from the picture-list service (LUMORA_SERVICE_ENDPOINT) into "
        "a dated folder below the download root: the one given, or else the one Lumora stored in "
        "config/t.ini of its working folder. Exit codes: 0 done, 2 no connection, 3 no pictures "
        "in the list, 4 no such download root, 5 some pictures could not be saved, 64 wrong "
        "arguments or no download root, 130 and 143 ended by SIGINT and SIGTERM."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption root("root", "The download root (an existing folder).", "folder");
    const QCommandLineOption notify("notify",
                                    "Show a desktop notification when done (needs a session bus).");
    const QCommandLineOption retries(
        "retries", "How often a list call or a transfer that failed for now is tried again.",
        "count", QString::number(kDefaultRetries));
    const QCommandLineOption retryWait(
        "retry-wait", "Seconds before the first retry; each further one waits twice as long.",
        "seconds", QString::number(kDefaultRetryWaitSeconds));
    parser.addOptions({root, notify, retries, retryWait});
    *exitCode = kFetchDone;
    if (!parser.parse(app.arguments())) {
        *exitCode = UsageError(parser.errorText());
        return std::nullopt;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) parser.showHelp(kFetchDone);
    if (parser.isSet(version)) parser.showVersion();
    if (!parser.positionalArguments().isEmpty()) {
        *exitCode = UsageError(QStringLiteral("unexpected argument '%1'")
                                   .arg(parser.positionalArguments().constFirst()));
        return std::nullopt;
    }
    FetchSettings settings;
    settings.root = parser.value(root);
    settings.notify = parser.isSet(notify);
    bool countOk = false, waitOk = false;
    settings.retries.retries = parser.value(retries).toInt(&countOk);
    const double wait = parser.value(retryWait).toDouble(&waitOk);
    if (!countOk || settings.retries.retries < 0 || settings.retries.retries > kMostRetries ||
        !waitOk || wait < 0 || wait > kLongestRetryWaitSeconds) {
        *exitCode =
            UsageError(QStringLiteral("--retries takes 0 to %1, --retry-wait 0 to %2 seconds")
                           .arg(kMostRetries)
                           .arg(kLongestRetryWaitSeconds));
        return std::nullopt;
    }
    settings.retries.firstPause = std::chrono::milliseconds(static_cast<long long>(wait * 1000));
    if (parser.isSet(root) && settings.root.isEmpty()) {
        *exitCode = UsageError(QStringLiteral("--root needs a folder"));
        return std::nullopt;
    }
    return settings;
}

// The session's list call, tried again while its failures may pass later, and its workers,
// which try each transfer again in the same way.
DownloadSession::Services FetchServices(const RetryPolicy &retries) {
    DownloadSession::Services services = DownloadSession::Services::Real(retries);
    services.buildList = [retries](const std::string &dateFolder, DownloadBatch &batch) {
        bool listed = false;
        WithRetries(
            retries,
            [&] {
                CallOutcome outcome = CallOutcome::Failed;
                listed = RequestDownloadTasks(dateFolder, batch, ServiceOptions{}, &outcome);
                return outcome == CallOutcome::MayPassLater;
            },
            [](std::chrono::milliseconds pause) {
                std::fprintf(stderr,
                             "lumora-fetch: the service did not answer; trying again in %g s\n",
                             pause.count() / 1000.0);
                std::this_thread::sleep_for(pause);
            });
        return listed;
    };
    return services;
}

// Today's download into <root>/<YYYY-MM-DD>/<title>/, with the progress on stdout.
FetchEnd Download(const QString &root, const RetryPolicy &retries) {
    DownloadSession session(FetchServices(retries), kPollPeriod);
    switch (session.Begin(root, QDate::currentDate())) {
        case DownloadSession::Start::Started:
        case DownloadSession::Start::AlreadyRunning:
            break;
        case DownloadSession::Start::NoConnection:
            return {kFetchNoConnection, QStringLiteral("无法连接到服务器")};
        case DownloadSession::Start::NoTasks:
            return {kFetchNoTasks, QStringLiteral("获取列表失败")};
    }
    QEventLoop loop;
    auto lastReport = std::chrono::steady_clock::now();
    QObject::connect(&session, &DownloadSession::progressed, [&](const ProgressReading &now) {
        if (std::chrono::steady_clock::now() - lastReport < kProgressPeriod) return;
        lastReport = std::chrono::steady_clock::now();
        PrintLine(QStringLiteral("%1张/%2张").arg(now.reached).arg(now.batchSize));
    });
    SaveReport report;
    QObject::connect(&session, &DownloadSession::finished,
                     [&](const ProgressReading &, const SaveReport &saved) {
                         report = saved;
                         loop.quit();
                     });
    loop.exec();
    session.WaitForWorkers();
    PrintLine(QStringLiteral("下载完毕"));
    return {report.unsavedTotal() > 0 ? kFetchNotAllSaved : kFetchDone, SavedSummary(report)};
}

FetchEnd Run(FetchSettings settings) {
    if (settings.root.isEmpty()) {
        const SettingsStore stored;
        const QString file = QDir::current().absoluteFilePath(stored.filePath());
        settings.root = StoredDownloadRoot(stored);
        if (settings.root.isEmpty()) {
            UsageError(QStringLiteral("no --root given, and %1 names no download root").arg(file));
            return {kFetchUsage,
                    QStringLiteral("没有设定下载文件夹，请先在Lumora中选择下载文件夹")};
        }
        PrintLine(QStringLiteral("下载文件夹：%1（%2）").arg(settings.root, file));
    }
    if (!IsFolder(settings.root)) {
        std::fprintf(stderr,
                     "lumora-fetch: the download root \"%s\" does not exist or is not a folder\n",
                     settings.root.toUtf8().constData());
        return {kFetchNoRoot, QStringLiteral("下载文件夹不存在：%1").arg(settings.root)};
    }
    FetchEnd end = Download(settings.root, settings.retries);
    PrintLine(end.line);
    return end;
}

}  // namespace

// lumora-fetch: today's download without a window.
int main(int argc, char *argv[]) {
    EndOnTerminationSignals();              // before any other thread exists
    curl_global_init(CURL_GLOBAL_DEFAULT);  // once, before the workers start
    QCoreApplication app(argc, argv);       // the picture test's image plugins
    QCoreApplication::setApplicationName(QStringLiteral("lumora-fetch"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.00"));

    int exitCode = kFetchDone;
    const std::optional<FetchSettings> settings = ParseArguments(app, &exitCode);
    if (!settings) return exitCode;
    EnterExistingWorkingFolder();  // the installed program reads the settings of its user folder
    const FetchEnd end = Run(*settings);
    if (settings->notify && !ShowDesktopNotification(NotificationFor(end)))
        std::fprintf(stderr, "lumora-fetch: no desktop notification service to tell\n");
    return end.exitCode;
}
