#include "app/MainFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

#include "app/FirstRunPrompts.h"
#include "app/FolderController.h"
#include "app/NoticeDialog.h"
#include "app/ProportionalSplitter.h"
#include "download/DownloadSession.h"
#include "platform/FileNames.h"
#include "platform/Prompter.h"
#include "resources/FrameResources.h"
#include "service/PictureList.h"
#include "tree/FolderTreeModel.h"
#include "tree/FolderTreeView.h"
#include "update/HandOver.h"
#include "update/UpdateCheck.h"
#include "view/PictureBrowser.h"
#include "view/PictureView.h"

namespace {

constexpr int kInitialSplitProportion = 2500;  // parts of 10000: 25 %
constexpr int kToolbarButtonWidth = 46;
constexpr int kToolbarLeadingSeparator = 4;
constexpr int kProgressBarLeft = 100;  // the status text keeps the part's first 100 pixels
constexpr std::chrono::milliseconds kProgressInterval(2000);
constexpr char kContactAddress[] = "lumora@lumora.local";

QAction *CommandAction(const QString &text, Command command, QObject *parent) {
    auto *action = new QAction(text, parent);
    action->setData(static_cast<int>(command));
    return action;
}

// The titled left pane: a header line "图片文件夹" above the folder tree.
QWidget *TitledPane(const QString &title, QWidget *client) {
    auto *pane = new QWidget;
    auto *layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *header = new QLabel(title);
    header->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(header);
    layout->addWidget(client, 1);
    return pane;
}

}  // namespace

MainFrame::MainFrame(FrameEnvironment env) : env_(std::move(env)) {
    setWindowTitle(QStringLiteral("Lumora"));
    setWindowIcon(FrameIcon());
    setContextMenuPolicy(Qt::NoContextMenu);  // right clicks on the bars do nothing
    // The system's default size: most of the screen, leaving room around the window.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        resize(screen->availableSize() * 3 / 4);
}

MainFrame::~MainFrame() = default;

bool MainFrame::Create() {
    if (!env_.prompter) return false;
    BuildToolbar();
    BuildStatusBar();
    BuildPanes();
    BuildMenu();
    BuildRoutingTable();
    WireDownload();

    RunFirstRunPrompts(this, env_);
    // A missing download root must be chosen before anything goes on.
    const bool rootChosen = !PathExists(StoredDownloadRoot());
    if (rootChosen) folderCommands_->ChooseDownloadFolder(true);

    updateCheck_ = new UpdateCheck(*env_.prompter, env_.updateServices, this);
    updateCheck_->SetCallRunner(
        [this](const std::function<void()> &call) { return RunHoldingInput(call); });
    updateTimer_ = new QTimer(this);
    updateTimer_->setInterval(env_.updateCheckDelay);
    connect(updateTimer_, &QTimer::timeout, this, &MainFrame::CheckVersionSilently);
    updateTimer_->start();

    // A root chosen just now stays for the whole run, even when its setting could not be written.
    if (!rootChosen) folderCommands_->ShowRoot(StoredDownloadRoot());
    browser_->Show(folders_->root());

    ApplyTipsSetting();
    return true;
}

QString MainFrame::StoredDownloadRoot() const { return ::StoredDownloadRoot(env_.settings); }

void MainFrame::Tell(const QString &text) { env_.prompter->Tell(this, text); }

void MainFrame::BuildToolbar() {
    toolbar_ = new QToolBar(this);
    toolbar_->setObjectName(QStringLiteral("toolbar"));
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbar_->toggleViewAction()->setVisible(false);
    toolbar_->setIconSize(QSize(kToolbarImageWidth, kToolbarImageHeight));
    auto *separator = new QWidget(toolbar_);
    separator->setFixedWidth(kToolbarLeadingSeparator);
    toolbar_->addWidget(separator);
    const auto &commands = ToolbarCommands();
    for (size_t i = 0; i < commands.size(); ++i) {
        // No text: a button's tooltip would fall back to it, and the buttons have none.
        QAction *action = CommandAction(QString(), commands[i], toolbar_);
        action->setIcon(ToolbarIcon(static_cast<int>(i)));
        connect(action, &QAction::triggered, this,
                [this, command = commands[i]] { RouteCommand(command); });
        toolbar_->addAction(action);
        if (QWidget *button = toolbar_->widgetForAction(action)) {
            button->setMinimumWidth(kToolbarButtonWidth);
            button->setAccessibleName(CommandPrompt(commands[i]));
        }
    }
    addToolBar(Qt::TopToolBarArea, toolbar_);
}

void MainFrame::BuildStatusBar() {
    statusPart_ = new QWidget;
    statusText_ = new QLabel(statusPart_);
    statusText_->setObjectName(QStringLiteral("statusText"));
    statusText_->setContentsMargins(2, 0, 2, 0);
    auto *layout = new QVBoxLayout(statusPart_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(statusText_);
    statusBar()->addWidget(statusPart_, 1);
    menuPrompt_ = new QLabel;
    menuPrompt_->setObjectName(QStringLiteral("menuPrompt"));
    menuPrompt_->setContentsMargins(2, 0, 2, 0);
    statusBar()->addWidget(menuPrompt_, 1);
    menuPrompt_->hide();
    statusBar()->setSizeGripEnabled(true);
}

bool MainFrame::event(QEvent *event) {
    if (event->type() == QEvent::StatusTip) {
        // Only menu items show prompts, and only while their menu is open.
        if (openMenus_ > 0) ShowMenuPrompt(static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void MainFrame::ShowMenuPrompt(const QString &prompt) {
    menuPrompt_->setText(prompt);
    menuPrompt_->show();
    statusPart_->hide();
}

void MainFrame::CountOpenMenu() { ++openMenus_; }

void MainFrame::EndMenuPrompt() {
    if (openMenus_ > 0 && --openMenus_ > 0) return;
    menuPrompt_->hide();
    menuPrompt_->clear();
    statusPart_->show();
}

void MainFrame::BuildPanes() {
    splitter_ = new ProportionalSplitter(kInitialSplitProportion, this);
    folders_ = new FolderTreeModel(this);
    folderSelection_ = new QItemSelectionModel(folders_, this);
    tree_ = new FolderTreeView;
    tree_->SetFolderModel(folders_);
    tree_->setSelectionModel(folderSelection_);
    treePane_ = TitledPane(QStringLiteral("图片文件夹"), tree_);
    browser_ = new PictureBrowser(this);
    view_ = new PictureView(*browser_, *env_.prompter);
    splitter_->addWidget(treePane_);
    splitter_->addWidget(view_);
    splitter_->setStretchFactor(1, 1);
    setCentralWidget(splitter_);

    // The folder commands follow the tree's selection and the browser's group steps; the widgets
    // tell them what was clicked.
    folderCommands_ = new FolderController(*folders_, *folderSelection_, *browser_,
                                           {*env_.prompter, env_.settings, env_.storageKind,
                                            [this] { return download_ && download_->isRunning(); }},
                                           this);
    folderCommands_->SetOwners(this, view_);
    connect(tree_, &FolderTreeView::popupCommandChosen, folderCommands_,
            &FolderController::RunPopupCommand);
    connect(view_, &PictureView::deleteRequested, folderCommands_,
            [this] { folderCommands_->Run(Command::DeletePicture); });
    connect(browser_, &PictureBrowser::shown, this, [this] {
        setWindowTitle(browser_->Caption());
        MenuAction(Command::DeletePicture)->setEnabled(IsPicturePath(browser_->path()));
    });
}

void MainFrame::BuildMenu() {
    for (const MenuPopupResource &popup : FrameMenuResource()) {
        QMenu *menu = menuBar()->addMenu(popup.title);
        // While a menu is open the status bar shows the highlighted item's prompt alone.
        connect(menu, &QMenu::aboutToShow, this, &MainFrame::CountOpenMenu);
        connect(menu, &QMenu::aboutToHide, this, &MainFrame::EndMenuPrompt);
        for (const MenuItemResource &item : popup.items) {
            if (item.command == Command::None) {
                menu->addSeparator();
                continue;
            }
            QAction *action = CommandAction(item.text, item.command, this);
            action->setStatusTip(CommandPrompt(item.command));
            action->setCheckable(
                item.command == Command::ToggleTreePane || item.command == Command::ToggleTips ||
                item.command == Command::FitToWindow || item.command == Command::FullScreen);
            const CommandKeys keys = CommandShortcuts(item.command);
            action->setShortcuts(keys.keys);
            if (keys.viewOnly) {  // the tree keeps these keys while it has the focus
                action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
                view_->addAction(action);
            }
            // The handlers set the check marks from the state they change.
            connect(action, &QAction::triggered, this,
                    [this, command = item.command] { RouteCommand(command); });
            menu->addAction(action);
            menuActions_[item.command] = action;
        }
    }
    MenuAction(Command::ToggleTreePane)->setChecked(true);
    connect(&browser_->zoom(), &PictureZoom::changed, this,
            [this] { MenuAction(Command::FitToWindow)->setChecked(browser_->zoom().fitting()); });
    leaveFullScreen_ = new QAction(this);
    leaveFullScreen_->setShortcut(QKeySequence(Qt::Key_Escape));
    leaveFullScreen_->setEnabled(false);
    connect(leaveFullScreen_, &QAction::triggered, this, &MainFrame::ToggleFullScreen);
    addAction(leaveFullScreen_);
}

void MainFrame::BuildRoutingTable() {
    routes_[Command::Exit] = [this] { Exit(); };
    routes_[Command::About] = [this] { ShowAbout(); };
    routes_[Command::ToggleTreePane] = [this] { ToggleTreePane(); };
    for (const Command command : {Command::DeletePicture, Command::ChooseDownloadFolder,
                                  Command::RefreshTreeFolder, Command::DeleteFolder})
        routes_[command] = [this, command] { folderCommands_->Run(command); };
    routes_[Command::Help] = [this] { OpenHelp(); };
    routes_[Command::ToggleTips] = [this] { ToggleTips(); };
    routes_[Command::Download] = [this] { StartDownload(); };
    routes_[Command::FitToWindow] = [this] { view_->ToggleFit(); };  // the zoom sets the mark
    routes_[Command::ZoomIn] = [this] { view_->ZoomIn(); };
    routes_[Command::ZoomOut] = [this] { view_->ZoomOut(); };
    routes_[Command::ActualSize] = [this] { view_->ShowActualSize(); };
    routes_[Command::FullScreen] = [this] { ToggleFullScreen(); };
    routes_[Command::CheckVersion] = [this] { CheckVersion(); };
}

void MainFrame::RouteCommand(Command command) {
    const auto route = routes_.find(command);
    if (route != routes_.end()) route->second();
}

QAction *MainFrame::MenuAction(Command command) const {
    const auto action = menuActions_.find(command);
    return action == menuActions_.end() ? nullptr : action->second;
}

void MainFrame::SetStatusText(const QString &text) {
    statusText_->setText(text);
    statusText_->repaint();
}

QString MainFrame::StatusText() const { return statusText_->text(); }

void MainFrame::ApplyTipsSetting() {
    const bool tipsOn =
        env_.settings.ReadSetting(QStringLiteral("showTip"), 2) != QStringLiteral("0");
    view_->SetTipsShown(tipsOn);
    MenuAction(Command::ToggleTips)->setChecked(tipsOn);
}

void MainFrame::closeEvent(QCloseEvent *event) {
    if (heldInput_.running()) {
        // The call may go on for long: the program ends now, as it would once the call was over.
        closedDuringCall_ = true;
        if (env_.endProcess) env_.endProcess(1);
        heldInput_.Interrupt();
    }
    event->accept();
    emit closed();
}

bool MainFrame::RunHoldingInput(const std::function<void()> &call) { return heldInput_.Run(call); }

void MainFrame::Exit() {
    if (download_->isRunning()) {
        const Answer answer =
            env_.prompter->ShowMessage(this, {QStringLiteral("正在下载，确定要关闭吗？"), QString(),
                                              Buttons::YesNo, Icon::Question});
        if (answer != Answer::Yes) return;
    }
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void MainFrame::ShowAbout() {
    env_.prompter->ShowMessage(
        this, {QStringLiteral("Lumora1.00\n\n") + QString::fromLatin1(kContactAddress),
               QStringLiteral("关于"), Buttons::Ok, Icon::None});
}

void MainFrame::OpenHelp() {
    if (env_.openHelp) env_.openHelp();
}

void MainFrame::ToggleTreePane() {
    treePane_->setVisible(!treePane_->isVisibleTo(this));
    treePaneChecked_ = treePane_->isVisibleTo(this);
    MenuAction(Command::ToggleTreePane)->setChecked(treePaneChecked_);
}

void MainFrame::ToggleFullScreen() {
    fullScreen_ = !fullScreen_;
    if (fullScreen_) maximizedBeforeFullScreen_ = isMaximized();
    menuBar()->setVisible(!fullScreen_);
    toolbar_->setVisible(!fullScreen_);
    statusBar()->setVisible(!fullScreen_);
    treePane_->setVisible(!fullScreen_ && treePaneChecked_);
    view_->SetFullScreen(fullScreen_);
    leaveFullScreen_->setEnabled(fullScreen_);
    MenuAction(Command::FullScreen)->setChecked(fullScreen_);
    if (fullScreen_) {
        showFullScreen();
        view_->setFocus();  // every key of the view works on the full screen
    } else if (maximizedBeforeFullScreen_) {
        showMaximized();
    } else {
        showNormal();
    }
}

void MainFrame::ToggleTips() {
    const bool turnOn = !view_->tipsShown();
    MenuAction(Command::ToggleTips)->setChecked(turnOn);
    view_->SetTipsShown(turnOn);
    env_.settings.WriteSetting(QStringLiteral("showTip"),
                               turnOn ? QStringLiteral("1") : QStringLiteral("0"));
}

void MainFrame::WireDownload() {
    // The list call runs off this thread, so that the window repaints meanwhile.
    DownloadSession::Services services = env_.downloadServices;
    services.buildList = [this, list = services.buildList](const std::string &dateFolder,
                                                           DownloadBatch &batch) {
        bool listed = false;
        return RunHoldingInput([&] { listed = list && list(dateFolder, batch); }) && listed;
    };
    download_ = new DownloadSession(std::move(services), kProgressInterval, this);
    // While a download runs the menu's item is greyed; the toolbar's button stays as it is.
    connect(download_, &DownloadSession::dateFolderReady, this,
            [this](const QString &dateFolder, bool created) {
                MenuAction(Command::Download)->setEnabled(false);
                folderCommands_->ShowDownloadFolder(dateFolder, created);
            });
    connect(download_, &DownloadSession::progressed, this, &MainFrame::ShowDownloadProgress);
    connect(download_, &DownloadSession::finished, this, &MainFrame::EndDownload);
}

void MainFrame::StartDownload() {
    if (download_->isRunning()) {
        Tell(QStringLiteral("下载已经开始"));
        return;
    }
    if (env_.settings.ReadSetting(QStringLiteral("isKnown"), 2).isEmpty())
        ShowNoticeDialog(*env_.prompter, env_.settings, this);
    const DownloadSession::Start start = download_->Begin(folders_->root(), env_.now().date());
    if (closedDuringCall_) return;
    switch (start) {
        case DownloadSession::Start::Started:
            break;
        case DownloadSession::Start::AlreadyRunning:
        case DownloadSession::Start::NothingNew:
            return;
        case DownloadSession::Start::NoConnection:
            Tell(QStringLiteral("无法连接到服务器"));
            return;
        case DownloadSession::Start::NoTasks:
            Tell(QStringLiteral("获取列表失败"));
            return;
    }
    SetStatusText(QStringLiteral("正在下载"));
    delete progressBar_;  // each download shows a bar of its own
    progressBar_ = new QProgressBar(statusPart_);
    progressBar_->setTextVisible(false);
    const QRect area = statusPart_->rect();
    progressBar_->setGeometry(kProgressBarLeft, area.top(),
                              std::max(0, area.right() + 1 - kProgressBarLeft), area.height());
    progressBar_->setRange(0,
                           static_cast<int>(std::min(download_->batch().size(), kMaxBatchTasks)));
    progressBar_->setValue(0);
    progressBar_->show();
}

void MainFrame::ShowDownloadProgress(const ProgressReading &reading, bool newFolders) {
    if (newFolders) folderCommands_->RefreshDownloadFolder();
    SetStatusText(QStringLiteral("%1张/%2张").arg(reading.reached).arg(reading.batchSize));
    // Out-of-range positions are clamped to the bar's range, not ignored.
    progressBar_->setValue(
        std::clamp(reading.furthest + 1, progressBar_->minimum(), progressBar_->maximum()));
}

void MainFrame::EndDownload(const ProgressReading &reading, const SaveReport &report) {
    folderCommands_->RefreshDownloadFolder();
    progressBar_->setValue(reading.batchSize);
    SetStatusText(QStringLiteral("下载完毕"));
    MenuAction(Command::Download)->setEnabled(true);
    const QString unsaved = UnsavedText(report);
    if (!unsaved.isEmpty()) Tell(unsaved);
}

void MainFrame::CheckVersion() {
    if (updateCheck_->state() == UpdateCheck::State::Running) return;
    // No silent check follows a check from the menu.
    if (updateCheck_->state() == UpdateCheck::State::NotStarted) updateTimer_->stop();
    if (!updateCheck_->CheckNow()) return;
    const ScriptStart script = UpdateScriptStart();
    if (env_.startScript) env_.startScript(script.program, script.arguments, script.workingFolder);
    if (env_.endProcess) env_.endProcess(0);
}

void MainFrame::CheckVersionSilently() {
    updateTimer_->stop();  // it fires once
    updateCheck_->CheckInBackground();
}
