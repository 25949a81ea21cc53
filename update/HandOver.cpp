#include "update/HandOver.h"

#include <QProcess>
#include <cstdio>
#include <cstdlib>

bool StartDetachedProcess(const QString &program, const QStringList &arguments,
                          const QString &workingFolder) {
    return QProcess::startDetached(program, arguments, workingFolder);
}

void EndProcessNow(int exitCode) {
    // Static destructors would run while the application object still lives on main's stack.
    std::fflush(nullptr);
    std::_Exit(exitCode);
}
