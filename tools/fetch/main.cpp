// lumora-fetch: today's download without a window.
#include <curl/curl.h>
#include <pthread.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QEventLoop>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>
#include <thread>

#include "FetchEnd.h"
#include "FetchHelp.h"
#include "FetchProgress.h"
#include "download/DownloadRoot.h"
#include "download/DownloadSession.h"
#include "download/RetryPolicy.h"
#include "platform/QtTranslations.h"
#include "platform/SettingsStore.h"
#include "platform/StorageKind.h"
#include "platform/TransferShutdown.h"
#include "platform/WorkingFolder.h"
#include "service/PictureList.h"
#include "service/PictureListService.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kLineProgressPeriod = std::chrono::seconds(2);             // one line each, a log
constexpr auto kTerminalProgressPeriod = std::chrono::milliseconds(250);  // one line in place
constexpr auto kPollPeriod = std::chrono::milliseconds(20);
constexpr int kDefaultRetries = 2;
constexpr int kMostRetries = 10;
constexpr double kDefaultRetryWaitSeconds = 10;
constexpr double kLongestRetryWaitSeconds = 3600;

struct FetchSettings {
    QString root;  // empty: the one stored in config/t.ini
    bool notify = false;
    bool newOnly = false;
    RetryPolicy retries;
};

// The running download's counters, for the summary of an interrupted run.
std::atomic<std::shared_ptr<const DownloadProgress>> g_progress;
// Whether stdout is a terminal, where the progress is one line rewritten in place.
const bool kOnTerminal = ::isatty(STDOUT_FILENO) == 1;
// Set while the progress line is on screen without its line end.
std::atomic<bool> g_lineOpen{false};

void Print(const QString &text, std::FILE *stream = stdout) {
    if (g_lineOpen.exchange(false)) std::fputc('\n', stdout);
    std::fprintf(stream, "%s\n", text.toUtf8().constData());
    std::fflush(stream);
}

void ShowProgress(const QString &line) {
    if (!kOnTerminal) return Print(line);
    std::printf("\r\033[K%s", line.toUtf8().constData());  // the line, rewritten in place
    std::fflush(stdout);
    g_lineOpen = true;
}

const QString kUsage = QStringLiteral("用法：lumora-fetch [选项] [--root <文件夹>]");

// Wrong arguments: the reason and the usage on stderr, exit code 64.
int UsageError(const QString &reason) {
    Print(QStringLiteral("lumora-fetch：%1\n%2\n运行 lumora-fetch --help 查看说明。")
              .arg(reason, kUsage),
          stderr);
    return kFetchUsage;
}

// --help: what the program does, its options and its exit codes, in aligned columns.
QString HelpText(const QList<QCommandLineOption> &options) {
    const QList<std::pair<QString, QString>> exitCodes = {
        {QStringLiteral("0"), QStringLiteral("完成")},
        {QStringLiteral("2"), QStringLiteral("无法连接到服务器")},
        {QStringLiteral("3"), QStringLiteral("获取列表失败")},
        {QStringLiteral("4"), QStringLiteral("下载文件夹不存在、无法写入或不在硬盘或可移动磁盘上")},
        {QStringLiteral("5"), QStringLiteral("有图片无法保存")},
        {QStringLiteral("64"), QStringLiteral("参数错误，或没有设定下载文件夹")},
        {QStringLiteral("130、143"), QStringLiteral("被 SIGINT、SIGTERM 中断")},
    };
    return kUsage +
           QStringLiteral(
               "\n\n从图片列表服务（LUMORA_SERVICE_ENDPOINT）下载今天的图片，存放到下载"
               "文件夹中以日期命名的文件夹里：用 --root 指定的文件夹，否则是 Lumora 在"
               "工作文件夹的 config/t.ini 中设定的下载文件夹。\n\n选项：\n") +
           OptionLines(options) + QStringLiteral("\n退出码：\n") + AlignedRows(exitCodes);
}

// SIGINT and SIGTERM end the program at once with 128 + the signal, after a line on what was
// saved, removing the files that its transfers had not finished. They are taken by a thread of
// their own, so every other thread runs with them blocked and no handler interrupts a transfer.
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
        const std::shared_ptr<const DownloadProgress> progress = g_progress.load();
        Print(QStringLiteral("下载已中断：%1")
                  .arg(SavedSummary(progress ? ReadSaveReport(*progress) : SaveReport())));
        EndProcessDuringTransfers(128 + received);
    }).detach();
}

// The options, or the exit code of a usage error.
std::optional<FetchSettings> ParseArguments(QCoreApplication &app, int *exitCode) {
    QCommandLineParser parser;
    const QCommandLineOption help({"h", "help"}, "显示这份说明。");
    const QCommandLineOption version({"v", "version"}, "显示版本。");
    const QCommandLineOption root("root", "下载文件夹（已有的文件夹）。", "文件夹");
    const QCommandLineOption notify("notify", "完成后显示桌面通知（需要会话总线）。");
    const QCommandLineOption newOnly("new-only",
                                     "只下载今天还没有下载过的图片：已删除的图片不会再回来。");
    const QCommandLineOption retries("retries", "暂时失败的列表请求或图片下载的重试次数。", "次数",
                                     QString::number(kDefaultRetries));
    const QCommandLineOption retryWait("retry-wait", "第一次重试前等待的秒数，之后每次加倍。",
                                       "秒数", QString::number(kDefaultRetryWaitSeconds));
    const QList<QCommandLineOption> options{help,    version, root,     notify,
                                            newOnly, retries, retryWait};
    parser.addOptions(options);
    *exitCode = kFetchDone;
    if (!parser.parse(app.arguments())) {
        *exitCode = UsageError(parser.errorText());
        return std::nullopt;
    }
    if (parser.isSet(help) || parser.isSet(version)) {
        Print(parser.isSet(help) ? HelpText(options).trimmed()
                                 : QStringLiteral("lumora-fetch 1.00"));
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *exitCode = UsageError(
            QStringLiteral("多余的参数“%1”").arg(parser.positionalArguments().constFirst()));
        return std::nullopt;
    }
    FetchSettings settings;
    settings.root = parser.value(root);
    settings.notify = parser.isSet(notify);
    settings.newOnly = parser.isSet(newOnly);
    bool countOk = false, waitOk = false;
    settings.retries.retries = parser.value(retries).toInt(&countOk);
    const double wait = parser.value(retryWait).toDouble(&waitOk);
    if (!countOk || settings.retries.retries < 0 || settings.retries.retries > kMostRetries ||
        !waitOk || wait < 0 || wait > kLongestRetryWaitSeconds) {
        *exitCode = UsageError(QStringLiteral("--retries 取 0 到 %1，--retry-wait 取 0 到 %2 秒")
                                   .arg(kMostRetries)
                                   .arg(kLongestRetryWaitSeconds));
        return std::nullopt;
    }
    settings.retries.firstPause = std::chrono::milliseconds(static_cast<long long>(wait * 1000));
    if (parser.isSet(root) && settings.root.isEmpty()) {
        *exitCode = UsageError(QStringLiteral("--root 需要一个文件夹"));
        return std::nullopt;
    }
    return settings;
}

// The session's list call, tried again while its failures may pass later, and its workers,
// which try each transfer again in the same way. `failure` receives why the list did not come.
DownloadSession::Services FetchServices(const RetryPolicy &retries, QString &failure) {
    DownloadSession::Services services = DownloadSession::Services::Real(retries);
    services.buildList = [retries, &failure](const std::string &dateFolder, DownloadBatch &batch) {
        const QString endpoint = QString::fromStdString(ServiceEndpoint());
        bool listed = false;
        WithRetries(
            retries,
            [&] {
                CallOutcome outcome = CallOutcome::Failed;
                std::string reason;
                listed =
                    RequestDownloadTasks(dateFolder, batch, ServiceOptions{}, &outcome, &reason);
                failure = QStringLiteral("无法连接到服务器 %1（%2）")
                              .arg(endpoint, QString::fromStdString(reason));
                return outcome == CallOutcome::MayPassLater;
            },
            [&](std::chrono::milliseconds pause) {
                Print(QStringLiteral("%1，%2秒后重试").arg(failure).arg(pause.count() / 1000.0),
                      stderr);
                std::this_thread::sleep_for(pause);
            });
        return listed;
    };
    return services;
}

// Today's download into <root>/<YYYY-MM-DD>/<title>/, with the progress on stdout.
FetchEnd Download(const QString &root, const FetchSettings &settings) {
    QString failure;
    DownloadSession session(FetchServices(settings.retries, failure), kPollPeriod);
    switch (session.Begin(root, QDate::currentDate(), settings.newOnly)) {
        case DownloadSession::Start::Started:
        case DownloadSession::Start::AlreadyRunning:
            break;
        case DownloadSession::Start::NoConnection:
            return {kFetchNoConnection, failure};
        case DownloadSession::Start::NoTasks:
            return {kFetchNoTasks, QStringLiteral("获取列表失败")};
        case DownloadSession::Start::NothingNew:
            return {kFetchDone, QStringLiteral("没有新的图片")};
    }
    g_progress = session.progress();
    QEventLoop loop;
    const auto started = Clock::now();
    auto shown = started - kLineProgressPeriod;
    QObject::connect(&session, &DownloadSession::progressed, [&](const ProgressReading &now) {
        const auto period = kOnTerminal ? kTerminalProgressPeriod : kLineProgressPeriod;
        if (Clock::now() - shown < period) return;
        shown = Clock::now();
        const double seconds = std::chrono::duration<double>(shown - started).count();
        ShowProgress(ProgressLine(now, session.progress()->receivedBytes, seconds));
    });
    SaveReport report;
    QObject::connect(&session, &DownloadSession::finished,
                     [&](const ProgressReading &, const SaveReport &saved) {
                         report = saved;
                         loop.quit();
                     });
    loop.exec();
    session.WaitForWorkers();
    Print(QStringLiteral("下载完毕"));
    return {report.unsavedTotal() > 0 ? kFetchNotAllSaved : kFetchDone, SavedSummary(report)};
}

FetchEnd Run(FetchSettings settings) {
    if (settings.root.isEmpty()) {
        const SettingsStore stored;
        const QString file = QDir::current().absoluteFilePath(stored.filePath());
        settings.root = StoredDownloadRoot(stored);
        if (settings.root.isEmpty()) {
            UsageError(QStringLiteral("没有用 --root 指定下载文件夹，%1 中也没有设定").arg(file));
            return {kFetchUsage,
                    QStringLiteral("没有设定下载文件夹，请先在Lumora中选择下载文件夹")};
        }
        Print(QStringLiteral("下载文件夹：%1（%2）").arg(settings.root, file));
    }
    // Checked before anything is transferred: a download that cannot land starts not at all.
    const QString problem = DownloadRootProblem(settings.root, StorageKindOf);
    if (!problem.isEmpty()) return {kFetchNoRoot, problem};
    return Download(settings.root, settings);
}

}  // namespace

int main(int argc, char *argv[]) {
    EndOnTerminationSignals();              // before any other thread exists
    curl_global_init(CURL_GLOBAL_DEFAULT);  // once, before the workers start
    QCoreApplication app(argc, argv);       // the picture test's image plugins
    QCoreApplication::setApplicationName(QStringLiteral("lumora-fetch"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.00"));
    LoadQtTranslations();  // the option parser's own messages in Chinese

    int exitCode = kFetchDone;
    const std::optional<FetchSettings> settings = ParseArguments(app, &exitCode);
    if (!settings) return exitCode;
    EnterExistingWorkingFolder();  // the installed program reads the settings of its user folder
    const FetchEnd end = Run(*settings);
    Print(end.line);
    if (settings->notify && !ShowDesktopNotification(NotificationFor(end)))
        Print(QStringLiteral("lumora-fetch：没有桌面通知服务，无法显示通知"), stderr);
    return end.exitCode;
}
