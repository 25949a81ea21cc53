#include "app/FrameEnvironment.h"

#include <QCoreApplication>

#include "platform/DesktopLauncher.h"
#include "platform/HelpDocument.h"
#include "platform/WorkingFolder.h"
#include "update/HandOver.h"

FrameEnvironment FrameEnvironment::Real(Prompter *prompter) {
    FrameEnvironment env;
    env.prompter = prompter;
    env.openHelp = OpenHelpDocument;
    env.programPath = [] { return QCoreApplication::applicationFilePath(); };
    env.desktopFolder = DesktopFolder;
    env.createLauncher = [](const QString &programPath, const QString &desktopFolder) {
        return CreateDesktopLauncher(programPath, desktopFolder, LauncherFolder());
    };
    env.storageKind = StorageKindOf;
    env.updateServices = UpdateServices::Real();
    env.startScript = StartDetachedProcess;
    env.endProcess = EndProcessNow;
    return env;
}
