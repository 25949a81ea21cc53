#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <set>

#include "DemoCatalog.h"
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

FetchRun RunFetch(const QString &endpoint, const QStringList &arguments) {
    QProcess fetch;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LUMORA_SERVICE_ENDPOINT"), endpoint);
    fetch.setProcessEnvironment(environment);
    fetch.start(QStringLiteral(LUMORA_FETCH_PATH), arguments);
    if (!fetch.waitForFinished(kProcessPatienceMs)) fetch.kill();
    return {fetch.exitStatus() == QProcess::NormalExit ? fetch.exitCode() : -1,
            QString::fromUtf8(fetch.readAllStandardOutput()),
            QString::fromUtf8(fetch.readAllStandardError())};
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
    EXPECT_TRUE(run.output.endsWith(QStringLiteral("下载完毕\n"))) << run.output.toStdString();
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
    EXPECT_EQ(Entries(dateFolder), expectedTitles);
}

INSTANTIATE_TEST_SUITE_P(ListForms, FetchFromDemoService, ::testing::Values(false, true),
                         [](const auto &info) { return info.param ? "Escaped" : "Nested"; });

TEST(FetchFromDemoService, ReportsEachFailureWithItsTextAndExitCode) {
    DemoServiceProcess emptyList({"--titles", "0"});
    ASSERT_FALSE(emptyList.endpoint().isEmpty());
    TestFolder root;
    const QString closedEndpoint = QStringLiteral("http://127.0.0.1:1/services/webservice");

    const FetchRun unreachable = RunFetch(closedEndpoint, {"--root", root.path()});
    EXPECT_EQ(unreachable.exitCode, 2);
    EXPECT_EQ(unreachable.output, QStringLiteral("无法连接到服务器\n"));

    const FetchRun noTasks = RunFetch(emptyList.endpoint(), {"--root", root.path()});
    EXPECT_EQ(noTasks.exitCode, 3);
    EXPECT_EQ(noTasks.output, QStringLiteral("获取列表失败\n"));
    EXPECT_TRUE(Entries(root.path()).empty()) << "a failed start created something";

    const QString missing = root.At("missing");
    const FetchRun noRoot = RunFetch(emptyList.endpoint(), {"--root", missing});
    EXPECT_EQ(noRoot.exitCode, 4);
    EXPECT_TRUE(noRoot.errors.contains(missing)) << noRoot.errors.toStdString();
}

struct ArgumentsCase {
    const char *name;
    QStringList arguments;
    int exitCode;
    const char *expectedOutput;  // found in stdout
    const char *expectedErrors;  // found in stderr
};

void PrintTo(const ArgumentsCase &c, std::ostream *os) { *os << c.name; }

class FetchArguments : public ::testing::TestWithParam<ArgumentsCase> {};

// None of these reaches the service: the endpoint is a closed port.
TEST_P(FetchArguments, AnswerWithoutFetching) {
    TestFolder root;
    QStringList arguments;
    for (const QString &argument : GetParam().arguments)
        arguments << QString(argument).replace("ROOT", root.path());
    const FetchRun run =
        RunFetch(QStringLiteral("http://127.0.0.1:1/services/webservice"), arguments);
    EXPECT_EQ(run.exitCode, GetParam().exitCode) << run.errors.toStdString();
    EXPECT_TRUE(run.output.contains(GetParam().expectedOutput)) << run.output.toStdString();
    EXPECT_TRUE(run.errors.contains(GetParam().expectedErrors)) << run.errors.toStdString();
    EXPECT_TRUE(Entries(root.path()).empty());
}

const char kUsageLine[] = "Usage: lumora-fetch [options] --root <folder>\n";

INSTANTIATE_TEST_SUITE_P(
    Options, FetchArguments,
    ::testing::Values(
        ArgumentsCase{"Help", {"--help"}, 0, "--root <folder>", ""},
        ArgumentsCase{"ShortHelp", {"-h", "--root", "ROOT"}, 0, "--version", ""},
        ArgumentsCase{"Version", {"--version"}, 0, "lumora-fetch 1.00\n", ""},
        ArgumentsCase{"UnknownOption", {"--root", "ROOT", "--fast"}, 64, "", kUsageLine},
        ArgumentsCase{"MissingRoot", {}, 64, "", kUsageLine},
        ArgumentsCase{"RootWithoutValue", {"--root"}, 64, "", kUsageLine},
        ArgumentsCase{"ExtraArgument", {"--root", "ROOT", "ROOT"}, 64, "", kUsageLine}),
    [](const auto &info) { return std::string(info.param.name); });

}  // namespace
