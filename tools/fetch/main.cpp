#include <curl/curl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <sysexits.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <thread>

#include "download/AbandonedFiles.h"
#include "download/DownloadProgress.h"
#include "download/DownloadWorker.h"
#include "download/ListBuilder.h"
#include "download/TransferShutdown.h"
#include "platform/DirectoryListing.h"
#include "platform/FileNames.h"

namespace {

// Exit codes.
constexpr int kDone = 0;
constexpr int kNoConnection = 2;
constexpr int kNoTasks = 3;
constexpr int kNoRoot = 4;
constexpr int kNotAllSaved = 5;

constexpr auto kProgressPeriod = std::chrono::seconds(2);
constexpr auto kPollPeriod = std::chrono::milliseconds(20);

void PrintLine(const QString &text) {
    std::printf("%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

// Wrong arguments: the reason and the usage line on stderr, exit code 64.
int UsageError(const QString &reason) {
    std::fprintf(stderr,
                 "lumora-fetch: %s\n"
                 "Usage: lumora-fetch [options] --root <folder>\n"
                 "Try 'lumora-fetch --help' for more information.\n",
                 reason.toUtf8().constData());
    return EX_USAGE;
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

}  // namespace

// lumora-fetch: today's download without a window, into <root>/<YYYY-MM-DD>/<title>/.
int main(int argc, char *argv[]) {
    EndOnTerminationSignals();               // before any other thread exists
    curl_global_init(CURL_GLOBAL_DEFAULT);  // once, before the workers start
    QCoreApplication app(argc, argv);       // the picture test's image plugins
    QCoreApplication::setApplicationName(QStringLiteral("lumora-fetch"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.00"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Downloads today's pictures from the picture-list service (LUMORA_SERVICE_ENDPOINT) into "
        "a dated folder below the download root. Exit codes: 0 done, 2 no connection, 3 no "
        "pictures in the list, 4 no such download root, 5 some pictures could not be saved, "
        "64 wrong arguments, 130 and 143 ended by SIGINT and SIGTERM."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption rootOption("root", "The download root (an existing folder).",
                                        "folder");
    parser.addOption(rootOption);
    if (!parser.parse(app.arguments())) return UsageError(parser.errorText());
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all")))
        parser.showHelp(kDone);
    if (parser.isSet(versionOption)) parser.showVersion();
    if (!parser.positionalArguments().isEmpty())
        return UsageError(QStringLiteral("unexpected argument '%1'")
                              .arg(parser.positionalArguments().constFirst()));
    if (!parser.isSet(rootOption)) return UsageError(QStringLiteral("--root <folder> is required"));
    const QString root = parser.value(rootOption);
    if (!IsFolder(root)) {
        std::fprintf(stderr,
                     "lumora-fetch: the download root \"%s\" does not exist or is not a folder\n",
                     root.toUtf8().constData());
        return kNoRoot;
    }

    const QString dateFolder =
        JoinPath(root, QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd")));
    auto batch = std::make_shared<DownloadBatch>();
    const std::string nativeDateFolder = EncodeFileName(dateFolder).toStdString();
    if (!ListBuilder(nativeDateFolder, *batch)) {
        PrintLine(QStringLiteral("无法连接到服务器"));
        return kNoConnection;
    }
    if (batch->empty()) {
        PrintLine(QStringLiteral("获取列表失败"));
        return kNoTasks;
    }
    ::mkdir(nativeDateFolder.c_str(), 0777);
    RemoveAbandonedFiles(root);

    DownloadProgress &progress = ProcessDownloadProgress();
    progress.Reset();
    const std::shared_ptr<const DownloadBatch> tasks = batch;
    std::thread first([tasks, &progress] { DownloadWorker(tasks, progress); });
    std::thread second([tasks, &progress] { DownloadWorker(tasks, progress); });

    auto lastReport = std::chrono::steady_clock::now();
    for (ProgressReading reading = ReadProgress(progress); !reading.finished;
         reading = ReadProgress(progress)) {
        std::this_thread::sleep_for(kPollPeriod);
        if (std::chrono::steady_clock::now() - lastReport < kProgressPeriod) continue;
        lastReport = std::chrono::steady_clock::now();
        const ProgressReading now = ReadProgress(progress);
        PrintLine(QStringLiteral("%1张/%2张").arg(now.reached).arg(now.batchSize));
    }
    first.join();
    second.join();
    PrintLine(QStringLiteral("下载完毕"));
    const SaveReport report = ReadSaveReport(progress);
    PrintLine(SavedSummary(report));
    return report.unsavedTotal() > 0 ? kNotAllSaved : kDone;
}
