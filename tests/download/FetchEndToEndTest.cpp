#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSignalSpy>
#include <atomic>
#include <chrono>
#include <set>
#include <thread>

#include "DemoCatalog.h"
#include "DemoService.h"
#include "FetchEnd.h"
#include "LoopbackPictureServer.h"
#include "download/AbandonedFiles.h"
#include "download/DownloadProgress.h"
#include "download/DownloadSession.h"
#include "download/FetchPicture.h"
#include "service/CurlHandle.h"
#include "support/ScratchMount.h"
#include "support/TestFolders.h"

namespace {

constexpr int kProcessPatienceMs = 120000;  // a guard against hangs, not a performance check

// lumora-demo-service on a free loopback port, stopped with the object.
class DemoServiceProcess {
public:
    explicit DemoServiceProcess(const QStringList &arguments) {
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.start(QStringLiteral(LUMORA_DEMO_SERVICE_PATH),
                       QStringList{"--port", "0"} + arguments);
        const QRegularExpression listening(R"(listening on (http://127\.0\.0\.1:\d+/\S+))");
        QByteArray output;
        while (process_.waitForReadyRead(kProcessPatienceMs)) {
            output += process_.readAllStandardOutput();
            const auto match = listening.match(QString::fromUtf8(output));
            if (match.hasMatch()) {
                endpoint_ = match.captured(1);
                break;
            }
        }
    }
    ~DemoServiceProcess() {
        process_.kill();
        process_.waitForFinished(kProcessPatienceMs);
    }
    QString endpoint() const { return endpoint_; }

private:
    QProcess process_;
    QString endpoint_;
};

struct FetchRun {
    int exitCode = -1;
    QString output;  // standard output
    QString errors;  // standard error
};

// lumora-fetch running against `endpoint`.
class FetchProcess {
public:
    FetchProcess(const QString &endpoint, const QStringList &arguments,
                 const QString &workingFolder = QString()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LUMORA_SERVICE_ENDPOINT"), endpoint);
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                           QStringLiteral("unix:path=/nonexistent/bus"));  // no notifications
        process_.setProcessEnvironment(environment);
        process_.setWorkingDirectory(workingFolder);
        process_.start(QStringLiteral(LUMORA_FETCH_PATH), arguments);
        process_.waitForStarted(kProcessPatienceMs);
    }
    ~FetchProcess() {
        process_.kill();
        process_.waitForFinished(kProcessPatienceMs);
    }
    void Signal(int number) { ::kill(static_cast<pid_t>(process_.processId()), number); }
    FetchRun Wait() {
        if (!process_.waitForFinished(kProcessPatienceMs)) process_.kill();
        return {process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1,
                QString::fromUtf8(process_.readAllStandardOutput()),
                QString::fromUtf8(process_.readAllStandardError())};
    }

private:
    QProcess process_;
};

FetchRun RunFetch(const QString &endpoint, const QStringList &arguments,
                  const QString &workingFolder = QString()) {
    return FetchProcess(endpoint, arguments, workingFolder).Wait();
}

std::set<QString> Entries(const QString &folder) {
    const auto names =
        QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    return {names.begin(), names.end()};
}

class FetchFromDemoService : public ::testing::TestWithParam<bool> {};

TEST_P(FetchFromDemoService, KeepsEveryPictureOfEveryTitleAndRejectsTheSmallOnes) {
    const bool escaped = GetParam();
    QStringList options{"--titles", "3", "--pictures", "3", "--small", "2"};
    if (escaped) options << "--escaped";
    DemoServiceProcess service(options);
    ASSERT_FALSE(service.endpoint().isEmpty()) << "the demo service did not start";
    TestFolder root;

    const FetchRun run = RunFetch(service.endpoint(), {"--root", root.path()});

    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.output.endsWith(QStringLiteral("下载完毕\n已保存9张图片，6张不是有效图片\n")))
        << run.output.toStdString();
    const auto days = Entries(root.path());
    ASSERT_EQ(days.size(), 1u);
    EXPECT_TRUE(QRegularExpression(R"(^\d{4}-\d{2}-\d{2}$)").match(*days.begin()).hasMatch());
    const QString dateFolder = root.At(*days.begin());

    std::set<QString> expectedTitles;
    for (const DemoTitle &title : DrawnCatalog({3, 3, 2})) {
        const QString name = QString::fromStdString(title.title);
        expectedTitles.insert(name);
        // Pictures 1 to 3 are large enough; 4 and 5 are too small and leave nothing behind.
        const std::set<QString> expectedFiles = {name + " 1.jpg", name + " 2.jpg", name + " 3.jpg"};
        EXPECT_EQ(Entries(dateFolder + "/" + name), expectedFiles) << name.toStdString();
    }
    expectedTitles.insert(QStringLiteral(".lumora-arrived"));  // the record of what arrived
    EXPECT_EQ(Entries(dateFolder), expectedTitles);
}

// The timer's runs fetch only what has not arrived today: a second run transfers nothing, and a
// picture the user deleted does not come back.
TEST(FetchNewOnly, LeavesOutWhatArrivedBefore) {
    DemoServiceProcess service({"--titles", "2", "--pictures", "2", "--small", "1"});
    ASSERT_FALSE(service.endpoint().isEmpty());
    TestFolder root;
    ASSERT_EQ(RunFetch(service.endpoint(), {"--root", root.path(), "--new-only"}).exitCode, 0);
    const QString dateFolder = root.At(*Entries(root.path()).begin());
    const QString title = *Entries(dateFolder).rbegin();
    ASSERT_TRUE(QFile::remove(dateFolder + "/" + title + "/" + title + " 1.jpg"));

    const FetchRun again = RunFetch(service.endpoint(), {"--root", root.path(), "--new-only"});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.output, QStringLiteral("没有新的图片\n"));
    EXPECT_FALSE(QFile::exists(dateFolder + "/" + title + "/" + title + " 1.jpg"));
    // Without the option every listed picture is fetched again, as the window does.
    EXPECT_TRUE(RunFetch(service.endpoint(), {"--root", root.path()})
                    .output.endsWith(QStringLiteral("已保存4张图片，2张不是有效图片\n")));
}

INSTANTIATE_TEST_SUITE_P(ListForms, FetchFromDemoService, ::testing::Values(false, true),
                         [](const auto &info) { return info.param ? "Escaped" : "Nested"; });

TEST(FetchFromDemoService, ReportsEachFailureWithItsTextAndExitCode) {
    DemoServiceProcess emptyList({"--titles", "0"});
    ASSERT_FALSE(emptyList.endpoint().isEmpty());
    TestFolder root;
    const QString closedEndpoint = QStringLiteral("http://127.0.0.1:1/services/webservice");

    const FetchRun unreachable =
        RunFetch(closedEndpoint, {"--root", root.path(), "--retries", "0"});
    EXPECT_EQ(unreachable.exitCode, 2);
    EXPECT_EQ(unreachable.output, "无法连接到服务器 " + closedEndpoint + "（连接被拒绝）\n");

    const FetchRun noTasks = RunFetch(emptyList.endpoint(), {"--root", root.path()});
    EXPECT_EQ(noTasks.exitCode, 3);
    EXPECT_EQ(noTasks.output, QStringLiteral("获取列表失败\n"));
    EXPECT_TRUE(Entries(root.path()).empty()) << "a failed start created something";

    const QString missing = root.At("missing");
    const FetchRun noRoot = RunFetch(emptyList.endpoint(), {"--root", missing});
    EXPECT_EQ(noRoot.exitCode, 4);
    EXPECT_EQ(noRoot.output, "下载文件夹不存在：" + missing + "\n");
}

// A root that cannot be written is refused before anything is asked or transferred.
TEST(FetchFromDemoService, ARootThatCannotBeWrittenIsRefusedAtOnce) {
    DemoServiceProcess service({"--titles", "1", "--pictures", "1"});
    TestFolder folder;
    const QString root = folder.MakeFolder("root");
    const ScratchMount bound = ScratchMount::Bind(root, root, /*readOnly=*/true);
    if (!bound.mounted()) GTEST_SKIP() << bound.failure().toStdString();
    const FetchRun run = RunFetch(service.endpoint(), {"--root", root});
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_EQ(run.output, "下载文件夹无法写入：" + root + "（文件系统只读）\n");
    EXPECT_TRUE(Entries(root).empty());
}

struct ArgumentsCase {
    const char *name;
    QStringList arguments;
    const char *storedPath;  // the "path" setting of config/t.ini in the working folder, or none
    int exitCode;
    QString expectedOutput;  // found in stdout
    QString expectedErrors;  // found in stderr
};

void PrintTo(const ArgumentsCase &c, std::ostream *os) { *os << c.name; }

class FetchArguments : public ::testing::TestWithParam<ArgumentsCase> {};

// None of these fetches anything: the endpoint is a closed port. ROOT stands for the download
// root, WORK for the working folder.
TEST_P(FetchArguments, AnswerWithoutFetching) {
    const ArgumentsCase &c = GetParam();
    TestFolder root, work;
    const auto filled = [&](QString text) {
        return text.replace("ROOT", root.path()).replace("WORK", work.path());
    };
    if (c.storedPath)
        work.WriteFile("config/t.ini", "[config]\npath=" + filled(c.storedPath).toUtf8());
    QStringList arguments;
    for (const QString &argument : c.arguments) arguments << filled(argument);
    const FetchRun run =
        RunFetch(QStringLiteral("http://127.0.0.1:1/services/webservice"), arguments, work.path());
    EXPECT_EQ(run.exitCode, c.exitCode) << run.errors.toStdString();
    EXPECT_TRUE(run.output.contains(filled(c.expectedOutput))) << run.output.toStdString();
    EXPECT_TRUE(run.errors.contains(filled(c.expectedErrors))) << run.errors.toStdString();
    EXPECT_TRUE(Entries(root.path()).empty());
}

const QString kUsageLine = QStringLiteral("用法：lumora-fetch [选项] [--root <文件夹>]\n");

// The help is Chinese throughout, and on a terminal (where a CJK character takes two columns)
// every option's description starts in one column.
TEST(FetchHelp, IsChineseWithItsColumnsAligned) {
    const FetchRun run = RunFetch(QStringLiteral("http://127.0.0.1:1/services/webservice"), {"-h"});
    EXPECT_EQ(run.exitCode, 0);
    std::set<int> columns;
    for (const QString &line : run.output.split(u'\n')) {
        if (!line.startsWith("  -")) continue;
        const qsizetype gap = line.indexOf("  ", 2);
        ASSERT_GT(gap, 0) << line.toStdString();
        int column = 0;
        for (const QChar c : line.left(gap)) column += c.unicode() >= 0x2E80 ? 2 : 1;
        columns.insert(column + int(line.mid(gap).size() - line.mid(gap).trimmed().size()));
    }
    EXPECT_EQ(columns.size(), 1u) << run.output.toStdString();
    for (const char *english : {"Displays", "seconds", "folder", "Qt"})
        EXPECT_FALSE(run.output.contains(english)) << english;
}

INSTANTIATE_TEST_SUITE_P(
    Options, FetchArguments,
    ::testing::Values(
        ArgumentsCase{"Help", {"--help"}, nullptr, 0, "--retry-wait <秒数>", ""},
        ArgumentsCase{"ShortHelp", {"-h", "--root", "ROOT"}, nullptr, 0, "--version", ""},
        ArgumentsCase{"Version", {"--version"}, nullptr, 0, "lumora-fetch 1.00\n", ""},
        ArgumentsCase{"UnknownOption", {"--root", "ROOT", "--fast"}, nullptr, 64, "", kUsageLine},
        ArgumentsCase{"NoRootGivenOrStored", {}, nullptr, 64, "", "WORK/config/t.ini 中也没有设定"},
        ArgumentsCase{"RootWithoutValue", {"--root"}, nullptr, 64, "", kUsageLine},
        ArgumentsCase{"ExtraArgument", {"--root", "ROOT", "ROOT"}, nullptr, 64, "", kUsageLine},
        ArgumentsCase{
            "RetriesNotANumber", {"--root", "ROOT", "--retries", "x"}, nullptr, 64, "", kUsageLine},
        ArgumentsCase{"StoredRoot",
                      {"--retries", "0"},
                      "ROOT/",
                      2,
                      "下载文件夹：ROOT（WORK/config/t.ini）\n无法连接到服务器 ",
                      ""},
        ArgumentsCase{"StoredRootGone", {}, "ROOT/gone", 4, "下载文件夹不存在：ROOT/gone", ""},
        ArgumentsCase{"GivenRootBeforeStored",
                      {"--root", "ROOT/gone"},
                      "ROOT",
                      4,
                      "下载文件夹不存在：ROOT/gone",
                      ""},
        ArgumentsCase{"RootOnARamDisk",
                      {"--root", "/dev/shm"},
                      nullptr,
                      4,
                      "只能设定硬盘或可移动磁盘上的文件夹：/dev/shm",
                      ""}),
    [](const auto &info) { return std::string(info.param.name); });

// The list of one title with one picture, served with the picture by the test's own server, so
// that the test decides what each transfer of the picture receives.
class OnePictureService {
public:
    // `moreRoutes` adds to the server after the service's own routes.
    explicit OnePictureService(std::function<void(httplib::Server &)> moreRoutes = {})
        : catalog_(DrawnCatalog({1, 1, 0})),
          service_(OptionsFor(catalog_)),
          server_([this, moreRoutes](httplib::Server &server) {
              service_.Install(server);
              if (moreRoutes) moreRoutes(server);
          }) {}

    LoopbackPictureServer &server() { return server_; }
    QString endpoint() const {
        return QString::fromStdString("http://" + server_.host() + "/services/webservice");
    }
    std::string picturePath() const { return "/pictures/1/" + catalog_[0].pictures[0].fileName; }
    QString title() const { return QString::fromStdString(catalog_[0].title); }

private:
    static DemoOptions OptionsFor(const DemoCatalog &catalog) {
        DemoOptions options;
        options.catalog = catalog;
        return options;
    }

    DemoCatalog catalog_;
    DemoService service_;
    LoopbackPictureServer server_;
};

bool WaitUntil(const std::function<bool()> &condition) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > giveUp) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// The title folder of today's download below `root`, once there is one.
QString TitleFolder(const QString &root, const QString &title) {
    const auto days = Entries(root);
    return days.size() == 1 ? root + "/" + *days.begin() + "/" + title : QString();
}

// Another process fetches the same picture while lumora-fetch still writes it: each writes a file
// of its own, and the picture's name only ever holds a whole picture.
TEST(FetchBesideAnotherProcess, APictureIsReplacedOnlyByAWholeOne) {
    OnePictureService service;
    const QByteArray slow = JpegOfSize(400, 400), fast = JpegOfSize(401, 401);
    service.server().PutStalled(service.picturePath(), slow,
                                static_cast<std::size_t>(slow.size() / 2));
    TestFolder root;
    FetchProcess fetch(service.endpoint(), {"--root", root.path()});
    ASSERT_TRUE(WaitUntil(
        [&] { return !UnfinishedFilesIn(TitleFolder(root.path(), service.title())).isEmpty(); }));
    const QString folder = TitleFolder(root.path(), service.title());
    const QString picture = folder + "/" + service.title() + " 1.jpg";

    service.server().Put(service.picturePath(), fast);
    DownloadProgress progress;
    CurlHandle handle = MakeCurlHandle();
    EXPECT_TRUE(FetchPicture(handle.get(), service.server().host() + service.picturePath(), "",
                             picture.toStdString(), progress));
    EXPECT_EQ(ReadWholeFile(picture), fast);
    service.server().ReleaseStalled();

    EXPECT_EQ(fetch.Wait().exitCode, 0);
    EXPECT_EQ(ReadWholeFile(picture), slow);
    EXPECT_EQ(Entries(folder), std::set<QString>{service.title() + " 1.jpg"});
}

// kill -9 leaves the unfinished file; the next download removes it, never a running one's, and
// SIGTERM or SIGINT end lumora-fetch at once with 128 + the signal and no file left.
TEST(FetchEndedEarly, LeavesNoUnfinishedFileBehindForLong) {
    OnePictureService service;
    const QByteArray picture = JpegOfSize(400, 400);
    service.server().PutStalled(service.picturePath(), picture,
                                static_cast<std::size_t>(picture.size() / 2));
    TestFolder root;
    QStringList killedFiles;
    {
        FetchProcess killed(service.endpoint(), {"--root", root.path()});
        ASSERT_TRUE(WaitUntil([&] {
            killedFiles = UnfinishedFilesIn(TitleFolder(root.path(), service.title()));
            return !killedFiles.isEmpty();
        }));
        killed.Signal(SIGKILL);
        killed.Wait();
    }
    const QString folder = TitleFolder(root.path(), service.title());
    ASSERT_EQ(UnfinishedFilesIn(folder), killedFiles);

    for (const auto &[signal, exitCode] : {std::pair{SIGTERM, 143}, std::pair{SIGINT, 130}}) {
        SCOPED_TRACE(exitCode);
        FetchProcess fetch(service.endpoint(), {"--root", root.path()});
        ASSERT_TRUE(WaitUntil([&] {
            const QStringList files = UnfinishedFilesIn(folder);
            return files.size() == 1 && files != killedFiles;
        })) << "the killed process's file is still there";
        EXPECT_EQ(RemoveAbandonedFiles(root.path()), 0);
        EXPECT_EQ(UnfinishedFilesIn(folder).size(), 1);

        fetch.Signal(signal);
        const FetchRun ended = fetch.Wait();
        EXPECT_EQ(ended.exitCode, exitCode);
        EXPECT_TRUE(ended.output.endsWith(QStringLiteral("下载已中断：已保存0张图片\n")))
            << ended.output.toStdString();
        EXPECT_TRUE(QDir(folder).isEmpty());
    }
}

// A download root on a file system too small for the pictures: the session says how many it
// kept and how many could not be saved and why.
TEST(DownloadOntoAFullFileSystem, ReportsThePicturesThatCouldNotBeSaved) {
    DemoServiceProcess service({"--titles", "3", "--pictures", "3", "--small", "0"});
    ASSERT_FALSE(service.endpoint().isEmpty());
    TestFolder folder;
    const QString root = folder.MakeFolder("root");
    const ScratchMount mount = ScratchMount::Tmpfs(root, "size=64k");
    if (!mount.mounted()) GTEST_SKIP() << mount.failure().toStdString();
    qputenv("LUMORA_SERVICE_ENDPOINT", service.endpoint().toUtf8());
    DownloadSession session(DownloadSession::Services::Real(), std::chrono::milliseconds(20));
    ASSERT_EQ(session.Begin(root, QDate::currentDate()), DownloadSession::Start::Started);
    QSignalSpy finished(&session, &DownloadSession::finished);
    ASSERT_TRUE(finished.wait(kProcessPatienceMs));
    session.WaitForWorkers();
    qunsetenv("LUMORA_SERVICE_ENDPOINT");

    const SaveReport report = finished.front()[1].value<SaveReport>();
    EXPECT_GT(report.unsaved[static_cast<int>(SaveFailure::NoSpace)], 0);
    EXPECT_EQ(report.kept + report.unsavedTotal(), 9);
    EXPECT_TRUE(SavedSummary(report).endsWith(QStringLiteral("张图片无法保存：磁盘空间不足")));
}

// A service that is not ready for the first tries: the list call and the picture's transfer are
// tried again, each pause twice the one before, until they pass.
TEST(FetchWithRetries, ListAndPictureArriveOnceTheServiceRecovers) {
    std::atomic<int> listCalls{0}, pictureCalls{0};
    std::string picturePath;
    OnePictureService service([&](httplib::Server &server) {
        server.set_pre_routing_handler(
            [&](const httplib::Request &request, httplib::Response &response) {
                const bool busy = request.path == "/services/webservice"
                                      ? ++listCalls <= 2
                                      : request.path == picturePath && ++pictureCalls == 1;
                if (!busy) return httplib::Server::HandlerResponse::Unhandled;
                response.status = 503;
                response.set_content("<html><body>busy</body></html>", "text/html");
                return httplib::Server::HandlerResponse::Handled;
            });
    });
    picturePath = service.picturePath();
    service.server().Put(picturePath, JpegOfSize(400, 400));
    TestFolder root;

    const FetchRun run =
        RunFetch(service.endpoint(), {"--root", root.path(), "--retry-wait", "0.05", "--notify"});

    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(listCalls, 3);
    EXPECT_EQ(pictureCalls, 2);
    EXPECT_TRUE(run.output.endsWith(QStringLiteral("下载完毕\n已保存1张图片\n")))
        << run.output.toStdString();
    EXPECT_TRUE(
        run.errors.contains(service.endpoint() + "（服务器返回HTTP 503），0.05秒后重试\n") &&
        run.errors.contains("0.1秒后重试\n"))
        << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains("没有桌面通知服务"));
}

TEST(FetchNotification, SaysHowManyArrivedOrWhyNoneDid) {
    const struct {
        FetchEnd end;
        const char *summary;
    } ends[] = {{{0, "已保存54张图片"}, "今天的图片已下载"},
                {{5, "已保存4张图片，50张图片无法保存：磁盘空间不足"}, "部分图片无法保存"},
                {{2, "无法连接到服务器"}, "今天的图片没有下载"},
                {{64, "没有设定下载文件夹，请先在Lumora中选择下载文件夹"}, "今天的图片没有下载"}};
    for (const auto &[end, summary] : ends) {
        const DesktopNote note = NotificationFor(end);
        EXPECT_EQ(note.summary, QString::fromUtf8(summary));
        EXPECT_EQ(note.body, end.line);
    }
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
    EXPECT_FALSE(ShowDesktopNotification(NotificationFor(ends[0].end)));
}

}  // namespace
