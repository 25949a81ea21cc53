#pragma once

#include <QString>
#include <QStringList>

// Starts `program` with `arguments` in `workingFolder`, detached: it outlives this process.
// False when it could not be started.
bool StartDetachedProcess(const QString &program, const QStringList &arguments,
                          const QString &workingFolder);

// Ends the process at once with `exitCode`: no window is closed and no destructor runs. Files
// that running transfers had not finished are removed.
[[noreturn]] void EndProcessNow(int exitCode);
