#pragma once

#include <QDateTime>
#include <QString>

struct DownloadServices;
struct DownloadState;
class Prompter;
class QTimer;
class QWidget;

// What the download command and its progress timer need from the main frame, which implements
// it: the messages and their owner, the settings, the clock and the outside services, the
// download root and the dated folder's place in the folder tree, the download's state, the
// status bar and timer 1.
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

    virtual QString DownloadRoot() = 0;
    // The dated folder in the folder tree, `created` just now or found there: shown below the
    // root and listed again; it becomes the download's folder.
    virtual void ShowDownloadFolder(const QString &dateFolder, bool created) = 0;
    // Lists the download's folder again, found afresh by its name below the root; nothing when
    // the tree shows another root.
    virtual void RefreshDownloadFolder() = 0;
    virtual DownloadState &downloadState() = 0;

    // A download runs exactly while the frame menu's download item is greyed.
    virtual bool IsDownloadRunning() = 0;
    virtual void SetDownloadRunning(bool running) = 0;

    // The status text, repainted at once, and the status-bar part that holds the progress bar.
    virtual void SetStatusText(const QString &text) = 0;
    virtual QWidget *StatusPart() const = 0;
    virtual QTimer *progressTimer() const = 0;
};
