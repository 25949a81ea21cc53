#include "update/HandOver.h"

#include <QDir>
#include <QProcess>

#include "platform/TransferShutdown.h"
#include "update/UpdateCheck.h"

ScriptStart UpdateScriptStart() {
    const QString updateFolder =
        QDir::cleanPath(QDir::current().absoluteFilePath(QString::fromLatin1(kUpdateFolder)));
    return {QStringLiteral("/bin/sh"),
            {QStringLiteral("move.sh"), QStringLiteral("/"), updateFolder},
            updateFolder};
}

bool StartDetachedProcess(const QString &program, const QStringList &arguments,
                          const QString &workingFolder) {
    return QProcess::startDetached(program, arguments, workingFolder);
}

void EndProcessNow(int exitCode) {
    // Static destructors would run while the application object still lives on main's stack;
    // download workers still running leave no unfinished file behind.
    EndProcessDuringTransfers(exitCode);
}
