#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>

#include "download/DownloadSession.h"
#include "platform/SettingsStore.h"
#include "platform/StorageKind.h"
#include "update/UpdateServices.h"

class Prompter;

// Everything the frame reaches outside itself. The program fills it with the real platform;
// tests inject dialogs' answers, clocks, storage kinds and launchers.
struct FrameEnvironment {
    Prompter *prompter = nullptr;
    SettingsStore settings;
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    // From the start to the silent version check.
    std::chrono::milliseconds updateCheckDelay{20000};
    std::function<void()> openHelp;
    std::function<QString()> programPath;
    std::function<QString()> desktopFolder;
    std::function<bool(const QString &programPath, const QString &desktopFolder)> createLauncher;
    // Storage kind of the file system holding a path; unset means this machine's.
    std::function<StorageKind(const QString &path)> storageKind;
    // Self-update: the version list and file transfers, the detached start of the update
    // script and the immediate end of the process.
    UpdateServices updateServices;
    std::function<bool(const QString &program, const QStringList &arguments,
                       const QString &workingFolder)>
        startScript;
    std::function<void(int exitCode)> endProcess;
    // The picture list call and the download workers.
    DownloadSession::Services downloadServices = DownloadSession::Services::Real();

    // The real platform, with `prompter` as the dialogs.
    static FrameEnvironment Real(Prompter *prompter);
};
