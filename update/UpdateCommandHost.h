#pragma once

#include <QString>
#include <QStringList>

struct UpdateServices;
class Prompter;
class QTimer;

// What the version check's two commands need from the main frame, which implements it.
class UpdateCommandHost {
public:
    virtual ~UpdateCommandHost() = default;

    virtual Prompter &prompter() = 0;
    virtual const UpdateServices &updateServices() = 0;
    // Timer 2, or null before it exists.
    virtual QTimer *updateTimer() const = 0;
    // Starts the update script detached; false when it could not be started.
    virtual bool StartScript(const QString &program, const QStringList &arguments,
                             const QString &workingFolder) = 0;
    // Ends the process at once with `exitCode`.
    virtual void EndProcess(int exitCode) = 0;
};
