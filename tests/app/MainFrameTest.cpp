#include <gtest/gtest.h>

#include <QAction>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include "app/AcceleratorFilter.h"
#include "app/MainFrame.h"
#include "app/ProportionalSplitter.h"
#include "download/DownloadSession.h"
#include "resources/FrameResources.h"
#include "support/ScriptedPrompter.h"
#include "support/TestFolders.h"
#include "tree/FolderTreeModel.h"
#include "tree/FolderTreeView.h"
#include "view/PictureView.h"

namespace {

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = folder.MakeFolder("pictures");
        folder.WriteAnsweredSettings(root);
    }

    // A download whose workers never move: it runs until the frame goes.
    std::unique_ptr<MainFrame> MakeFrame() {
        FrameEnvironment env;
        env.prompter = &prompter;
        env.downloadServices.buildList = [](const std::string &dateFolder, DownloadBatch &batch) {
            batch.push_back({dateFolder + "/t/t 1.jpg", "", "127.0.0.1:1/p.jpg"});
            return true;
        };
        env.downloadServices.runWorker = [](const DownloadBatch &, DownloadProgress &,
                                            ArrivalRecord &) {};
        auto frame = std::make_unique<MainFrame>(std::move(env));
        EXPECT_TRUE(frame->Create());
        return frame;
    }

    void SetShowTip(const QByteArray &value) {
        folder.WriteAnsweredSettings(root, "showTip=" + value + "\n");
    }

    QString ReadSetting(const QString &key) { return SettingsStore().ReadSetting(key, 260); }

    TestFolder folder;
    CurrentDirectoryGuard cwd{folder.path()};
    QString root;
    ScriptedPrompter prompter;
};

TEST_F(MainFrameTest, ToolbarButtonsHaveNoTooltipAndStayEnabledDuringADownload) {
    auto frame = MakeFrame();
    frame->RouteCommand(Command::Download);
    ASSERT_TRUE(frame->download().isRunning());
    EXPECT_FALSE(frame->MenuAction(Command::Download)->isEnabled());
    int buttons = 0;
    auto *toolbar = frame->findChild<QToolBar *>();
    for (QAction *action : toolbar->actions())
        if (!action->data().isNull()) {
            ++buttons;
            EXPECT_TRUE(action->isEnabled());
            EXPECT_EQ(toolbar->widgetForAction(action)->toolTip(), "");
        }
    EXPECT_EQ(buttons, 4);
}

struct TipsCase {
    const char *stored;  // nullptr: no showTip key
    bool on;
};

class MainFrameTipsTest : public MainFrameTest, public ::testing::WithParamInterface<TipsCase> {};

TEST_P(MainFrameTipsTest, StartsWithTipsOnUnlessTheValueBeginsWithZero) {
    if (GetParam().stored) SetShowTip(GetParam().stored);
    auto frame = MakeFrame();
    EXPECT_EQ(frame->MenuAction(Command::ToggleTips)->isChecked(), GetParam().on);
    if (!GetParam().stored) {
        EXPECT_EQ(ReadSetting("showTip"), "");  // not written until toggled
    }
}

INSTANTIATE_TEST_SUITE_P(Values, MainFrameTipsTest,
                         ::testing::Values(TipsCase{nullptr, true}, TipsCase{"", true},
                                           TipsCase{"1", true}, TipsCase{"x", true},
                                           TipsCase{"0", false}, TipsCase{"0abc", false}));

TEST_F(MainFrameTest, TipsToggleFlipsTheCheckMarkAndStoresIt) {
    auto frame = MakeFrame();
    QAction *tips = frame->MenuAction(Command::ToggleTips);
    tips->trigger();
    EXPECT_FALSE(tips->isChecked());
    EXPECT_EQ(ReadSetting("showTip"), "0");
    frame->RouteCommand(Command::ToggleTips);
    EXPECT_TRUE(tips->isChecked());
    EXPECT_EQ(ReadSetting("showTip"), "1");
}

TEST_F(MainFrameTest, ExitClosesAtOnceWithoutDownload) {
    auto frame = MakeFrame();
    QSignalSpy closed(frame.get(), &MainFrame::closed);
    frame->MenuAction(Command::Exit)->trigger();
    EXPECT_TRUE(closed.wait(2000));
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(MainFrameTest, ExitDuringDownloadAsksAndNoKeepsRunning) {
    auto frame = MakeFrame();
    QSignalSpy closed(frame.get(), &MainFrame::closed);
    frame->RouteCommand(Command::Download);
    prompter.clear();
    prompter.QueueAnswer(Answer::No);
    frame->RouteCommand(Command::Exit);
    QCoreApplication::processEvents();
    EXPECT_EQ(closed.count(), 0);
    prompter.QueueAnswer(Answer::Yes);
    frame->RouteCommand(Command::Exit);
    EXPECT_TRUE(closed.wait(2000));
    const auto shown = prompter.shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "正在下载，确定要关闭吗？");
    EXPECT_EQ(shown[0].caption, "");
    EXPECT_EQ(shown[0].buttons, Buttons::YesNo);
    EXPECT_EQ(shown[0].icon, Icon::Question);
}

TEST_F(MainFrameTest, CloseBoxDuringDownloadNeverAsks) {
    auto frame = MakeFrame();
    QSignalSpy closed(frame.get(), &MainFrame::closed);
    frame->RouteCommand(Command::Download);
    prompter.clear();
    frame->close();
    EXPECT_EQ(closed.count(), 1);
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(MainFrameTest, AboutShowsVersionTwoLineBreaksAndContact) {
    auto frame = MakeFrame();
    frame->RouteCommand(Command::About);
    const auto shown = prompter.shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.startsWith("Lumora1.00\n\n"));
    EXPECT_TRUE(shown[0].text.mid(12).contains('@'));
    EXPECT_EQ(shown[0].caption, "关于");
    EXPECT_EQ(shown[0].icon, Icon::None);
}

// Records the addresses the desktop would open.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    UrlRecorder() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Open"); }
    ~UrlRecorder() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> opened;
public slots:
    void Open(const QUrl &url) { opened << url; }
};

// 帮助 opens help.html of the working folder with the desktop's handler, and nothing without it.
TEST_F(MainFrameTest, HelpOpensTheWorkingFoldersDocumentWhenThereIsOne) {
    UrlRecorder desktop;
    FrameEnvironment env = FrameEnvironment::Real(&prompter);
    env.storageKind = [](const QString &) { return StorageKind::Fixed; };
    MainFrame frame(std::move(env));
    ASSERT_TRUE(frame.Create());
    frame.RouteCommand(Command::Help);
    EXPECT_TRUE(desktop.opened.isEmpty());
    const QString help = folder.WriteFile("help.html", "<html></html>");
    frame.RouteCommand(Command::Help);
    EXPECT_EQ(desktop.opened, QList<QUrl>{QUrl::fromLocalFile(help)});
}

TEST_F(MainFrameTest, TreePaneToggleHidesAndShowsTheTreeWithItsCheckMark) {
    auto frame = MakeFrame();
    frame->resize(800, 600);
    frame->show();
    QAction *treePane = frame->MenuAction(Command::ToggleTreePane);
    EXPECT_TRUE(treePane->isChecked());
    treePane->trigger();
    auto *tree = frame->findChild<FolderTreeView *>();
    EXPECT_FALSE(tree->isVisible());
    EXPECT_FALSE(treePane->isChecked());
    frame->RouteCommand(Command::ToggleTreePane);
    EXPECT_TRUE(tree->isVisible());
    EXPECT_TRUE(treePane->isChecked());
}

TEST_F(MainFrameTest, SplitterKeepsItsProportionOnResize) {
    auto frame = MakeFrame();
    auto *splitter = frame->findChild<ProportionalSplitter *>();
    auto leftShare = [&] {
        return double(splitter->sizes()[0]) / (splitter->width() - splitter->handleWidth());
    };
    frame->resize(1000, 600);
    frame->show();
    QCoreApplication::processEvents();
    EXPECT_NEAR(leftShare(), 0.25, 0.002);
    frame->resize(1400, 700);
    QCoreApplication::processEvents();
    EXPECT_NEAR(leftShare(), 0.25, 0.002);

    // A bar the user moved keeps its new proportion.
    const int usable = splitter->width() - splitter->handleWidth();
    splitter->setSizes({usable * 2 / 5, usable - usable * 2 / 5});
    emit splitter->splitterMoved(usable * 2 / 5, 1);
    frame->resize(900, 700);
    QCoreApplication::processEvents();
    EXPECT_NEAR(leftShare(), 0.40, 0.003);
}

TEST_F(MainFrameTest, CreationShowsTheTreeRootSelected) {
    auto frame = MakeFrame();
    auto *tree = frame->findChild<FolderTreeView *>();
    EXPECT_EQ(tree->currentIndex().data().toString(), root);
    EXPECT_FALSE(tree->currentIndex().parent().isValid());
    EXPECT_EQ(frame->folders().root(), root);
}

// Records whether the frame was visible whenever something was asked.
class VisibilityRecordingPrompter : public ScriptedPrompter {
public:
    Answer ShowMessage(QWidget *owner, const Message &message) override {
        visibleWhenAsked.push_back(frame && frame->isVisible());
        return ScriptedPrompter::ShowMessage(owner, message);
    }
    QWidget *frame = nullptr;
    std::vector<bool> visibleWhenAsked;
};

TEST_F(MainFrameTest, FirstRunQuestionsComeBeforeTheWindowIsShown) {
    folder.WriteFile("config/t.ini", ("[config]\npath=" + root + "\n").toUtf8());
    VisibilityRecordingPrompter recorder;
    recorder.QueueAnswer(Answer::No);
    recorder.QueueAnswer(Answer::Cancel);
    FrameEnvironment env;
    env.prompter = &recorder;
    MainFrame frame(std::move(env));
    recorder.frame = &frame;
    ASSERT_TRUE(frame.Create());
    EXPECT_EQ(recorder.messageTexts(),
              (std::vector<QString>{"是否阅读软件说明文档？\n\n点击“取消”不再提示",
                                    "是否创建桌面快捷方式？\n\n点击“取消”不再提示"}));
    EXPECT_EQ(recorder.visibleWhenAsked, (std::vector<bool>{false, false}));
    EXPECT_EQ(ReadSetting("isLink"), "1");
    EXPECT_EQ(ReadSetting("readDoc"), "");
}

// Counts the key presses that reach a widget.
class KeyCounter : public QObject {
public:
    int presses = 0;
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::KeyPress) ++presses;
        return false;
    }
};

TEST_F(MainFrameTest, AcceleratorKeysDoNothingAnywhereInTheWindow) {
    auto frame = MakeFrame();
    AcceleratorFilter accelerators(frame.get());
    qApp->installEventFilter(&accelerators);
    KeyCounter counter;
    auto *tree = frame->findChild<FolderTreeView *>();
    tree->installEventFilter(&counter);

    QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
    QCoreApplication::sendEvent(tree, &copy);
    QKeyEvent shiftDelete(QEvent::KeyPress, Qt::Key_Delete, Qt::ShiftModifier);
    QCoreApplication::sendEvent(tree, &shiftDelete);
    EXPECT_EQ(counter.presses, 0);
    QKeyEvent selectAll(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier);
    QCoreApplication::sendEvent(tree, &selectAll);
    EXPECT_EQ(counter.presses, 1);
    qApp->removeEventFilter(&accelerators);
}

// While a menu is open its highlighted item's prompt stands alone in the status bar; an item
// without one shows nothing, neither the download's status text nor its progress bar.
TEST_F(MainFrameTest, HighlightedMenuItemShowsItsPromptAlone) {
    auto frame = MakeFrame();
    frame->show();
    frame->SetStatusText(QStringLiteral("正在下载"));
    QLabel *prompt = frame->findChild<QLabel *>(QStringLiteral("menuPrompt"));
    QLabel *status = frame->findChild<QLabel *>(QStringLiteral("statusText"));
    ASSERT_TRUE(prompt && status);
    const auto highlight = [&](Command command) {
        QAction *item = frame->MenuAction(command);
        QMenu *menu = nullptr;
        for (QAction *popup : frame->menuBar()->actions())
            if (popup->menu()->actions().contains(item)) menu = popup->menu();
        frame->menuBar()->setActiveAction(menu->menuAction());
        menu->setActiveAction(item);
        return menu;
    };

    QMenu *edit = highlight(Command::DeleteFolder);
    EXPECT_FALSE(status->isVisible());
    EXPECT_EQ(prompt->text(), QStringLiteral("删除文件夹"));
    edit->hide();
    QMenu *file = highlight(Command::Exit);
    EXPECT_FALSE(status->isVisible());
    EXPECT_EQ(prompt->text(), QString());
    file->hide();
    EXPECT_TRUE(status->isVisible());
    EXPECT_EQ(frame->StatusText(), QStringLiteral("正在下载"));
    EXPECT_FALSE(prompt->isVisible());
}

}  // namespace

#include "MainFrameTest.moc"

namespace {

// The view's items show their keys, none of them a swallowed one; the single keys work only with
// the view focused, so that the tree keeps them.
TEST_F(MainFrameTest, ViewItemsShowTheirShortcutsAndFullScreenShowsThePictureAlone) {
    auto frame = MakeFrame();
    frame->resize(800, 600);
    frame->show();
    const std::pair<Command, const char *> keys[] = {
        {Command::DeletePicture, "Del"}, {Command::FitToWindow, "F"},
        {Command::ZoomIn, "Ctrl++"},     {Command::ZoomOut, "Ctrl+-"},
        {Command::ActualSize, "Ctrl+0"}, {Command::FullScreen, "F11"}};
    const auto &swallowed = SwallowedAcceleratorKeys();
    for (const auto &[command, key] : keys) {
        QAction *action = frame->MenuAction(command);
        EXPECT_EQ(action->shortcut().toString(), key);
        for (const QKeySequence &sequence : action->shortcuts())
            EXPECT_EQ(std::find(swallowed.begin(), swallowed.end(), sequence[0]), swallowed.end());
    }
    EXPECT_EQ(frame->MenuAction(Command::FitToWindow)->shortcutContext(),
              Qt::WidgetWithChildrenShortcut);

    frame->MenuAction(Command::FitToWindow)->trigger();
    EXPECT_TRUE(frame->MenuAction(Command::FitToWindow)->isChecked());
    frame->RouteCommand(Command::ActualSize);
    EXPECT_FALSE(frame->MenuAction(Command::FitToWindow)->isChecked());

    frame->RouteCommand(Command::FullScreen);
    EXPECT_TRUE(frame->MenuAction(Command::FullScreen)->isChecked());
    auto *toolbar = frame->findChild<QToolBar *>();
    auto *tree = frame->findChild<FolderTreeView *>();
    EXPECT_FALSE(frame->menuBar()->isVisible() || toolbar->isVisible() ||
                 frame->statusBar()->isVisible() || tree->isVisible());
    EXPECT_TRUE(frame->findChild<PictureView *>()->isVisible());
    frame->RouteCommand(Command::FullScreen);
    EXPECT_TRUE(frame->menuBar()->isVisible() && toolbar->isVisible() &&
                frame->statusBar()->isVisible() && tree->isVisible());
    EXPECT_FALSE(frame->MenuAction(Command::FullScreen)->isChecked());
}

}  // namespace
