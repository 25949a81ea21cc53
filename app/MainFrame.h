#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>
#include <map>

#include "app/FrameEnvironment.h"
#include "app/HeldInput.h"
#include "resources/Commands.h"

class DownloadSession;
class FolderController;
class FolderTreeModel;
class FolderTreeView;
class PictureBrowser;
class PictureView;
class ProportionalSplitter;
class QLabel;
class QItemSelectionModel;
class QProgressBar;
class QTimer;
class QToolBar;
class UpdateCheck;
struct ProgressReading;
struct SaveReport;

// The main window: menu, toolbar, status bar, the folder tree beside the picture view. It owns
// the models (the folder tree, the picture browser, the download session, the update check) and
// the folder commands between them, wires them to the widgets, and routes every command to the
// part of the program that handles it. Command states follow the models' signals.
class MainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit MainFrame(FrameEnvironment env);
    ~MainFrame() override;

    // Builds the layout and runs everything that precedes the first show: the first-run
    // questions, the download-root check, the tree and view contents, the tips state and the
    // update timer. False when the frame cannot be built.
    bool Create();

    // Runs the handler of a command.
    void RouteCommand(Command command);
    QAction *MenuAction(Command command) const;

    // The status text, repainted at once.
    void SetStatusText(const QString &text);
    QString StatusText() const;

    FolderTreeModel &folders() const { return *folders_; }
    PictureBrowser &browser() const { return *browser_; }
    DownloadSession &download() const { return *download_; }
    UpdateCheck &updateCheck() const { return *updateCheck_; }

signals:
    // The window was closed; the program ends with exit code 1.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;

private:
    void BuildMenu();
    void BuildToolbar();
    void BuildStatusBar();
    void BuildPanes();
    void BuildRoutingTable();
    void WireDownload();
    void ApplyTipsSetting();
    // Simple mode of the status bar: the prompt of the highlighted menu item (empty for items
    // without one) in place of the status text and the progress bar, until the menus close.
    void ShowMenuPrompt(const QString &prompt);
    void CountOpenMenu();
    void EndMenuPrompt();
    // The "path" setting, without a trailing "/".
    QString StoredDownloadRoot() const;
    void Tell(const QString &text);

    void Exit();
    void ShowAbout();
    void OpenHelp();
    void ToggleTreePane();
    // The picture alone on the whole screen, and back to the window as it was.
    void ToggleFullScreen();
    void ToggleTips();
    void StartDownload();
    void ShowDownloadProgress(const ProgressReading &reading, bool newFolders);
    void EndDownload(const ProgressReading &reading, const SaveReport &report);
    void CheckVersion();
    void CheckVersionSilently();
    // Runs a slow call off this thread with the user's input held; false when the window was
    // closed meanwhile, which ends the program.
    bool RunHoldingInput(const std::function<void()> &call);

    FrameEnvironment env_;
    std::map<Command, std::function<void()>> routes_;
    std::map<Command, QAction *> menuActions_;
    QToolBar *toolbar_ = nullptr;
    QWidget *statusPart_ = nullptr;
    QLabel *statusText_ = nullptr;
    QProgressBar *progressBar_ = nullptr;
    QLabel *menuPrompt_ = nullptr;
    int openMenus_ = 0;
    ProportionalSplitter *splitter_ = nullptr;
    QWidget *treePane_ = nullptr;
    FolderTreeModel *folders_ = nullptr;
    QItemSelectionModel *folderSelection_ = nullptr;
    FolderTreeView *tree_ = nullptr;
    PictureBrowser *browser_ = nullptr;
    FolderController *folderCommands_ = nullptr;
    PictureView *view_ = nullptr;
    DownloadSession *download_ = nullptr;
    UpdateCheck *updateCheck_ = nullptr;
    QTimer *updateTimer_ = nullptr;
    bool treePaneChecked_ = true;  // the tree pane is asked for (full screen hides it anyway)
    bool fullScreen_ = false;
    bool maximizedBeforeFullScreen_ = false;
    QAction *leaveFullScreen_ = nullptr;  // Escape, while the picture fills the screen
    HeldInput heldInput_;
    bool closedDuringCall_ = false;
};
