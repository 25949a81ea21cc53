#pragma once

#include <QString>
#include <QStringList>

// How the update script takes over: /bin/sh runs move.sh from temp/ with the root folder and the
// absolute path of temp/.
struct ScriptStart {
    QString program;
    QStringList arguments;
    QString workingFolder;
};
ScriptStart UpdateScriptStart();

// Starts `program` with `arguments` in `workingFolder`, detached: it outlives this process.
// False when it could not be started.
bool StartDetachedProcess(const QString &program, const QStringList &arguments,
                          const QString &workingFolder);

// Ends the process at once with `exitCode`: no window is closed and no destructor runs. Files
// that running transfers had not finished are removed.
[[noreturn]] void EndProcessNow(int exitCode);
