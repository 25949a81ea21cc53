#pragma once

#include <QDateTime>
#include <QString>

struct DownloadServices;
struct FrameState;
class FolderTree;
class Prompter;
class QTimer;
class QWidget;

// What the download command and its progress timer need from the main frame, which implements
// it: the messages and their owner, the settings, the clock and the outside services, the folder
// tree with the frame's download state, the status bar and timer 1.
class DownloadCommandHost {
public:
    virtual ~DownloadCommandHost() = default;

    virtual Prompter &prompter() = 0;
    // The window that owns the command's messages and the notice dialog.
    virtual QWidget *owner() = 0;
    virtual QString ReadSetting(const QString &key, int capacity) = 0;
    // The notice dialog; stores isKnown when it was dismissed for good.
    virtual void ShowNotice() = 0;
    virtual QDateTime Now() = 0;
    virtual const DownloadServices &downloadServices() = 0;

    virtual FolderTree &folderTree() = 0;
    virtual FrameState &state() = 0;

    // A download runs exactly while the frame menu's download item is greyed.
    virtual bool IsDownloadRunning() = 0;
    virtual void SetDownloadRunning(bool running) = 0;

    // The status text, repainted at once, and the status-bar part that holds the progress bar.
    virtual void SetStatusText(const QString &text) = 0;
    virtual QWidget *StatusPart() const = 0;
    virtual QTimer *progressTimer() const = 0;
};
