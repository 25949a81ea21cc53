#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>
#include <map>

#include "app/FrameEnvironment.h"
#include "download/DownloadCommandHost.h"
#include "download/DownloadState.h"
#include "tree/FrameState.h"
#include "update/UpdateCommandHost.h"

class CLumoraView;
class FolderTree;
class ProportionalSplitter;
class QLabel;
class QTimer;
class QToolBar;

// The main window: menu, toolbar, status bar, the folder tree beside the picture view, and the
// routing of every command to the part of the program that handles it.
class CMainFrame : public QMainWindow, public DownloadCommandHost, public UpdateCommandHost {
    Q_OBJECT
public:
    explicit CMainFrame(FrameEnvironment env);
    ~CMainFrame() override;

    // Builds the layout and runs everything that precedes the first show: the first-run
    // questions, the download-root check, the tree and view contents, the tips state and
    // timer 2. False when the frame cannot be built.
    bool Create();

    // The routing table: runs the handler of a command id; unknown ids do nothing.
    void RouteCommand(int id);

    // Status text routine: the text of the status bar's first part, repainted at once.
    void SetStatusText(const QString &text) override;
    QString StatusText() const;
    // The status bar's first part, on which the download puts its progress bar.
    QWidget *StatusPart() const override { return statusPart_; }

    // The idle step, run once per idle period of the event loop.
    void OnIdle();

    FrameEnvironment &environment() { return env_; }
    FrameState &state() { return state_; }
    FolderTree *tree() const { return tree_; }
    CLumoraView *view() const { return view_; }
    ProportionalSplitter *splitter() const { return splitter_; }
    QToolBar *toolbar() const { return toolbar_; }
    QTimer *updateTimer() const override { return updateTimer_; }
    QTimer *progressTimer() const override { return progressTimer_; }
    QAction *MenuAction(int id) const;

    // What the download and update commands reach through the frame.
    Prompter &prompter() override { return *env_.prompter; }
    QWidget *owner() override { return this; }
    QString ReadSetting(const QString &key, int capacity) override;
    void ShowNotice() override;
    QDateTime Now() override { return env_.now(); }
    const DownloadServices &downloadServices() override { return env_.downloadServices; }
    QString DownloadRoot() override { return state_.downloadRoot; }
    void ShowDownloadFolder(const QString &dateFolder, bool created) override;
    void RefreshDownloadFolder() override;
    DownloadState &downloadState() override { return downloadState_; }
    bool IsDownloadRunning() override;
    void SetDownloadRunning(bool running) override;
    const UpdateServices &updateServices() override { return env_.updateServices; }
    bool StartScript(const QString &program, const QStringList &arguments,
                     const QString &workingFolder) override;
    void EndProcess(int exitCode) override;

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
    void ApplyTipsSetting();
    // Simple mode of the status bar: the prompt of the highlighted menu item (empty for items
    // without one) in place of the status text and the progress bar, until the menus close.
    void ShowMenuPrompt(const QString &prompt);
    void OnMenuOpened();
    void OnMenuClosed();
    // The "path" setting, without a trailing "/".
    QString StoredDownloadRoot() const;
    void ChooseDownloadFolder(bool mustChoose);

    void OnExit();
    void OnAbout();
    void OnHelp();
    void OnToggleTreePane();
    void OnToggleTips();

    FrameEnvironment env_;
    FrameState state_;
    DownloadState downloadState_;
    std::map<int, std::function<void()>> routes_;
    QToolBar *toolbar_ = nullptr;
    QWidget *statusPart_ = nullptr;
    QLabel *statusText_ = nullptr;
    QLabel *menuPrompt_ = nullptr;
    int openMenus_ = 0;
    ProportionalSplitter *splitter_ = nullptr;
    QWidget *treePane_ = nullptr;
    FolderTree *tree_ = nullptr;
    CLumoraView *view_ = nullptr;
    QTimer *progressTimer_ = nullptr;  // timer 1
    QTimer *updateTimer_ = nullptr;    // timer 2
    bool treePaneChecked_ = true;      // command state of ID_VIEW_TREEPANE
};
