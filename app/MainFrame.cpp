#include "app/MainFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/FirstRunPrompts.h"
#include "app/NoticeDialog.h"
#include "app/ProportionalSplitter.h"
#include "download/DownloadCommand.h"
#include "platform/DirectoryListing.h"
#include "platform/FileNames.h"
#include "platform/Prompter.h"
#include "resources/CommandIds.h"
#include "resources/FrameResources.h"
#include "resources/MenuActions.h"
#include "tree/DownloadFolderChoice.h"
#include "tree/FolderCommands.h"
#include "tree/FolderTree.h"
#include "update/UpdateCommand.h"
#include "view/CLumoraView.h"

namespace {

constexpr int kInitialSplitProportion = 2500;  // parts of 10000: 25 %
constexpr int kToolbarButtonWidth = 46;
constexpr int kToolbarLeadingSeparator = 4;
constexpr char kContactAddress[] = "lumora@lumora.local";

QAction *CommandAction(const QString &text, int id, QObject *parent) {
    auto *action = new QAction(text, parent);
    action->setProperty(kCommandIdProperty, id);
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

CMainFrame::CMainFrame(FrameEnvironment env) : env_(std::move(env)) {
    setWindowTitle(QStringLiteral("Lumora"));
    setWindowIcon(FrameIcon());
    setContextMenuPolicy(Qt::NoContextMenu);  // right clicks on the bars do nothing
    // The system's default size: most of the screen, leaving room around the window.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        resize(screen->availableSize() * 3 / 4);
}

CMainFrame::~CMainFrame() = default;

bool CMainFrame::Create() {
    if (!env_.prompter) return false;
    BuildToolbar();
    BuildStatusBar();
    BuildPanes();
    BuildMenu();
    BuildRoutingTable();

    RunFirstRunPrompts(this, env_);
    // A missing download root must be chosen before anything goes on.
    const bool rootChosen = !PathExists(StoredDownloadRoot());
    if (rootChosen) ChooseDownloadFolder(true);

    updateTimer_ = new QTimer(this);
    updateTimer_->setInterval(kUpdateTimerMs);
    connect(updateTimer_, &QTimer::timeout, this, [this] { OnUpdateTimer(*this); });
    updateTimer_->start();
    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(kProgressTimerMs);
    connect(progressTimer_, &QTimer::timeout, this, [this] { OnProgressTimer(*this); });

    view_->m_pTree = tree_;
    // A root chosen just now stays for the whole run, even when its setting could not be written.
    if (!rootChosen) tree_->SetDownloadRoot(StoredDownloadRoot());
    tree_->RefreshFolderNode(nullptr, QString());
    tree_->setCurrentItem(tree_->RootNode());
    view_->LoadPath(state_.downloadRoot);

    ApplyTipsSetting();
    return true;
}

QString CMainFrame::StoredDownloadRoot() const { return ::StoredDownloadRoot(env_.settings); }

void CMainFrame::ChooseDownloadFolder(bool mustChoose) {
    OnChooseDownloadFolder(mustChoose, *tree_, {*env_.prompter, env_.settings, env_.storageKind},
                           this);
}

void CMainFrame::BuildToolbar() {
    toolbar_ = new QToolBar(this);
    toolbar_->setObjectName(QStringLiteral("toolbar"));
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbar_->toggleViewAction()->setVisible(false);
    toolbar_->setIconSize(QSize(kToolbarImageWidth, kToolbarImageHeight));
    auto *separator = new QWidget(toolbar_);
    separator->setFixedWidth(kToolbarLeadingSeparator);
    toolbar_->addWidget(separator);
    const auto &ids = ToolbarButtonIds();
    for (size_t i = 0; i < ids.size(); ++i) {
        // No text: a button's tooltip would fall back to it, and the buttons have none.
        QAction *action = CommandAction(QString(), ids[i], toolbar_);
        action->setIcon(ToolbarIcon(static_cast<int>(i)));
        connect(action, &QAction::triggered, this, [this, id = ids[i]] { RouteCommand(id); });
        toolbar_->addAction(action);
        if (QWidget *button = toolbar_->widgetForAction(action)) {
            button->setMinimumWidth(kToolbarButtonWidth);
            button->setAccessibleName(CommandPrompt(ids[i]));
        }
    }
    addToolBar(Qt::TopToolBarArea, toolbar_);
}

void CMainFrame::BuildStatusBar() {
    statusPart_ = new QWidget;
    statusText_ = new QLabel(statusPart_);
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

bool CMainFrame::event(QEvent *event) {
    if (event->type() == QEvent::StatusTip) {
        // Only menu items show prompts, and only while their menu is open.
        if (openMenus_ > 0) ShowMenuPrompt(static_cast<QStatusTipEvent *>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void CMainFrame::ShowMenuPrompt(const QString &prompt) {
    menuPrompt_->setText(prompt);
    menuPrompt_->show();
    statusPart_->hide();
}

void CMainFrame::OnMenuOpened() { ++openMenus_; }

void CMainFrame::OnMenuClosed() {
    if (openMenus_ > 0 && --openMenus_ > 0) return;
    menuPrompt_->hide();
    menuPrompt_->clear();
    statusPart_->show();
}

void CMainFrame::BuildPanes() {
    splitter_ = new ProportionalSplitter(kInitialSplitProportion, this);
    tree_ = new FolderTree(state_);
    tree_->setObjectName(QStringLiteral("folderTree"));
    treePane_ = TitledPane(QStringLiteral("图片文件夹"), tree_);
    view_ = new CLumoraView(*env_.prompter);
    view_->setObjectName(QStringLiteral("pictureView"));
    splitter_->addWidget(treePane_);
    splitter_->addWidget(view_);
    splitter_->setStretchFactor(1, 1);
    setCentralWidget(splitter_);
    // The tree and the view meet here: a selected folder shows in the view, and the view's root
    // and its pictures decoded ahead follow the tree.
    tree_->SetPathLoader([view = view_](const QString &path) { view->LoadPath(path); });
    connect(tree_, &FolderTree::refreshing, view_, &CLumoraView::ForgetPreloaded);
    connect(tree_, &FolderTree::downloadRootChanged, view_,
            [view = view_](const QString &root) { view->m_strRoot = root; });
    tree_->SetCommandRouter([this](int id) { RouteCommand(id); });
}

void CMainFrame::BuildMenu() {
    for (const MenuPopupResource &popup : FrameMenuResource()) {
        QMenu *menu = menuBar()->addMenu(popup.title);
        // While a menu is open the status bar shows the highlighted item's prompt alone.
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::OnMenuOpened);
        connect(menu, &QMenu::aboutToHide, this, &CMainFrame::OnMenuClosed);
        for (const MenuItemResource &item : popup.items) {
            if (item.id == 0) {
                menu->addSeparator();
                continue;
            }
            QAction *action = CommandAction(item.text, item.id, this);
            action->setProperty(kFrameMenuProperty, true);
            action->setStatusTip(CommandPrompt(item.id));
            action->setCheckable(item.id == ID_VIEW_TREEPANE || item.id == ID_SETTINGS_SHOW_TIPS);
            connect(action, &QAction::triggered, this, [this, action, id = item.id] {
                // The handlers own the check marks: undo Qt's own toggle first.
                if (action->isCheckable()) action->setChecked(!action->isChecked());
                RouteCommand(id);
            });
            menu->addAction(action);
            if (item.id == ID_VIEW_TREEPANE)  // the command state shows when the popup opens
                connect(menu, &QMenu::aboutToShow, this,
                        [this, action] { action->setChecked(treePaneChecked_); });
        }
    }
    MenuAction(ID_VIEW_TREEPANE)->setChecked(true);
}

void CMainFrame::BuildRoutingTable() {
    routes_[ID_APP_EXIT] = [this] { OnExit(); };
    routes_[ID_APP_ABOUT] = [this] { OnAbout(); };
    routes_[ID_VIEW_TREEPANE] = [this] { OnToggleTreePane(); };
    routes_[ID_EDIT_DELETE_PICTURE] = [this] { view_->OnDeletePicture(); };
    routes_[ID_HELP_CONTENTS] = [this] { OnHelp(); };
    routes_[ID_SETTINGS_SHOW_TIPS] = [this] { OnToggleTips(); };
    routes_[ID_SETTINGS_DOWNLOAD_FOLDER] = [this] { ChooseDownloadFolder(false); };
    routes_[ID_TREE_REFRESH] = [this] { OnRefreshFolder(*tree_); };
    routes_[ID_TREE_DELETE] = [this] {
        OnDeleteFolder(ID_TREE_DELETE, *tree_, *env_.prompter, this);
    };
    routes_[ID_EDIT_DELETE_FOLDER] = [this] {
        OnDeleteFolder(ID_EDIT_DELETE_FOLDER, *tree_, *env_.prompter, this);
    };
    routes_[ID_ACTION_DOWNLOAD] = [this] { OnDownload(*this); };
    routes_[ID_HELP_CHECK_VERSION] = [this] { OnCheckVersion(*this); };
}

void CMainFrame::RouteCommand(int id) {
    const auto route = routes_.find(id);
    if (route != routes_.end()) route->second();
}

QAction *CMainFrame::MenuAction(int id) const { return FindFrameMenuAction(this, id); }

QString CMainFrame::ReadSetting(const QString &key, int capacity) {
    return env_.settings.ReadSetting(key, capacity);
}

void CMainFrame::ShowNotice() { ShowNoticeDialog(*env_.prompter, env_.settings, this); }

bool CMainFrame::IsDownloadRunning() { return ::IsDownloadRunning(this); }

void CMainFrame::ShowDownloadFolder(const QString &dateFolder, bool created) {
    tree_->ShowDownloadFolder(dateFolder, created);
}

void CMainFrame::RefreshDownloadFolder() { tree_->RefreshDownloadFolder(); }

void CMainFrame::SetDownloadRunning(bool running) {
    view_->EnableFrameMenuItem(ID_ACTION_DOWNLOAD, running ? MF_GRAYED : MF_ENABLED);
}

bool CMainFrame::StartScript(const QString &program, const QStringList &arguments,
                             const QString &workingFolder) {
    return env_.startScript && env_.startScript(program, arguments, workingFolder);
}

void CMainFrame::EndProcess(int exitCode) {
    if (env_.endProcess) env_.endProcess(exitCode);
}

void CMainFrame::SetStatusText(const QString &text) {
    statusText_->setText(text);
    statusText_->repaint();
}

QString CMainFrame::StatusText() const { return statusText_->text(); }

void CMainFrame::OnIdle() {
    if (QAction *treePane = MenuAction(ID_VIEW_TREEPANE)) treePane->setChecked(treePaneChecked_);
}

void CMainFrame::ApplyTipsSetting() {
    const bool tipsOn =
        env_.settings.ReadSetting(QStringLiteral("showTip"), 2) != QStringLiteral("0");
    view_->m_bShowTip = tipsOn;
    view_->SetTipsActive(tipsOn);
    MenuAction(ID_SETTINGS_SHOW_TIPS)->setChecked(tipsOn);
}

void CMainFrame::closeEvent(QCloseEvent *event) {
    event->accept();
    emit closed();
}

void CMainFrame::OnExit() {
    if (IsDownloadRunning()) {
        const Answer answer =
            env_.prompter->ShowMessage(this, {QStringLiteral("正在下载，确定要关闭吗？"), QString(),
                                              Buttons::YesNo, Icon::Question});
        if (answer != Answer::Yes) return;
    }
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void CMainFrame::OnAbout() {
    env_.prompter->ShowMessage(
        this, {QStringLiteral("Lumora1.00\n\n") + QString::fromLatin1(kContactAddress),
               QStringLiteral("关于"), Buttons::Ok, Icon::None});
}

void CMainFrame::OnHelp() {
    if (env_.openHelp) env_.openHelp();
}

void CMainFrame::OnToggleTreePane() {
    treePane_->setVisible(!treePane_->isVisibleTo(this));
    treePaneChecked_ = treePane_->isVisibleTo(this);
    MenuAction(ID_VIEW_TREEPANE)->setChecked(treePaneChecked_);
}

void CMainFrame::OnToggleTips() {
    QAction *tips = MenuAction(ID_SETTINGS_SHOW_TIPS);
    const bool turnOn = !tips->isChecked();
    tips->setChecked(turnOn);
    view_->m_bShowTip = turnOn;
    view_->SetTipsActive(turnOn);
    env_.settings.WriteSetting(QStringLiteral("showTip"),
                               turnOn ? QStringLiteral("1") : QStringLiteral("0"));
}
