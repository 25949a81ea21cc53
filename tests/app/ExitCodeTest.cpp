#include <gtest/gtest.h>
#include <signal.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include "support/TestFolders.h"

namespace {

// Whether the process has installed its own SIGTERM handler (the "SigCgt" mask of its status).
bool CatchesTerm(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return false;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
    return false;
}

// Starts the real program in `folder` and ends it the way a session does, with SIGTERM, once it
// handles the signal. The exit code, or a negative value when it did not end normally.
int RunAndTerminate(const TestFolder &folder) {
    QProcess program;
    program.setWorkingDirectory(folder.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("LUMORA_SERVICE_ENDPOINT", "http://127.0.0.1:9/services/webservice");
    program.setProcessEnvironment(env);
    program.start(LUMORA_EXECUTABLE, QStringList());
    if (!program.waitForStarted(10000)) return -1;
    // Once the handler is in place, the close waits in a socket until the event loop runs.
    QDeadlineTimer deadline(20000);
    while (!CatchesTerm(program.processId()) && !deadline.hasExpired()) QThread::msleep(10);
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    if (!program.waitForFinished(30000)) {
        program.kill();
        return -2;
    }
    return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -3;
}

TEST(ExitCodeTest, NormalCloseEndsWithOne) {
    TestFolder folder;
    folder.WriteAnsweredSettings(folder.MakeFolder("pictures"));
    EXPECT_EQ(RunAndTerminate(folder), 1);
}

struct StartQuestionCase {
    const char *name;
    QByteArray settings;  // what config/t.ini holds before the start
};

void PrintTo(const StartQuestionCase &c, std::ostream *os) { *os << c.name; }

class SignalDuringStartTest : public ::testing::TestWithParam<StartQuestionCase> {};

// The session ends while a question of the start is open: the program ends at once, without
// spinning, and takes nothing as answered.
TEST_P(SignalDuringStartTest, EndsAtOnceAndStoresNoAnswer) {
    TestFolder folder;
    folder.WriteFile("config/t.ini", GetParam().settings);
    EXPECT_EQ(RunAndTerminate(folder), 0);
    EXPECT_EQ(ReadWholeFile(folder.At("config/t.ini")), GetParam().settings);
}

INSTANTIATE_TEST_SUITE_P(Questions, SignalDuringStartTest,
                         ::testing::Values(StartQuestionCase{"HelpQuestion", "[config]\n"},
                                           StartQuestionCase{"FolderChoice",
                                                             "[config]\nreadDoc=1\nisLink=1\n"}),
                         [](const auto &info) { return std::string(info.param.name); });

class NoDisplayTest : public ::testing::TestWithParam<const char *> {};

// Qt itself would abort; the frame cannot be created, which ends with exit code 0.
TEST_P(NoDisplayTest, EndsWithZeroAndOneLine) {
    TestFolder folder;
    QProcess program;
    program.setWorkingDirectory(folder.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", GetParam());
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    program.setProcessEnvironment(env);
    program.start(LUMORA_EXECUTABLE, {});
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    const QList<QByteArray> lines = program.readAllStandardError().trimmed().split('\n');
    ASSERT_EQ(lines.size(), 1) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines[0].startsWith("lumora: ")) << lines[0].toStdString();
}

INSTANTIATE_TEST_SUITE_P(Platforms, NoDisplayTest, ::testing::Values("xcb", "nosuchplatform"));

}  // namespace
