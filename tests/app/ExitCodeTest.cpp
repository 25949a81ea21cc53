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
        if (line.startsWith("SigCgt:")) return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
    return false;
}

// Starts the real program in a prepared working folder and closes its window the way a session
// does, with SIGTERM.
int RunAndClose(const QStringList &arguments) {
    TestFolder folder;
    const QString root = folder.MakeFolder("pictures");
    folder.WriteAnsweredSettings(root);
    QProcess program;
    program.setWorkingDirectory(folder.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("LUMORA_SERVICE_ENDPOINT", "http://127.0.0.1:9/services/webservice");
    program.setProcessEnvironment(env);
    program.start(LUMORA_EXECUTABLE, arguments);
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

TEST(ExitCodeTest, NormalCloseEndsWithOne) { EXPECT_EQ(RunAndClose({}), 1); }

TEST(ExitCodeTest, CommandLineIsIgnored) {
    EXPECT_EQ(RunAndClose({"--download", "/tmp/elsewhere", "x.jpg"}), 1);
}

}  // namespace
