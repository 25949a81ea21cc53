#include "update/HandOver.h"

#include <QProcess>

#include "platform/TransferShutdown.h"

bool StartDetachedProcess(const QString &program, const QStringList &arguments,
                          const QString &workingFolder) {
    return QProcess::startDetached(program, arguments, workingFolder);
}

void EndProcessNow(int exitCode) {
    // Static destructors would run while the application object still lives on main's stack;
    // download workers still running leave no unfinished file behind.
    EndProcessDuringTransfers(exitCode);
}
