#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

#include "app/SettingsStore.h"

class Prompter;

// Everything the frame reaches outside itself. The program fills it with the real platform;
// tests inject dialogs' answers, clocks, storage kinds and launchers.
struct FrameEnvironment {
    Prompter *prompter = nullptr;
    SettingsStore settings;
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    std::function<void()> openHelp;
    std::function<QString()> programPath;
    std::function<QString()> desktopFolder;
    std::function<bool(const QString &programPath, const QString &desktopFolder)> createLauncher;

    // The real platform, with `prompter` as the dialogs.
    static FrameEnvironment Real(Prompter *prompter);
};
