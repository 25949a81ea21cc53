// How the frame shows what its models do: the download's status, bar, greying and tree node, the
// picture browser's caption and delete item, and the download root chosen at start-up.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QWindow>
#include <condition_variable>
#include <mutex>

#include "app/MainFrame.h"
#include "download/DownloadSession.h"
#include "platform/DirectoryListing.h"
#include "support/ScriptedPrompter.h"
#include "support/TestFolders.h"
#include "tree/FolderTreeModel.h"
#include "view/PictureBrowser.h"
#include "view/PictureView.h"

namespace {

// A frame with a fixed clock, scripted dialogs and a scripted list of four pictures; the
// workers only hand over their counters, which the test sets.
class FrameWiringTest : public ::testing::Test {
protected:
    void SetUp() override { folder.WriteAnsweredSettings(root, "isKnown=1\n"); }

    std::unique_ptr<MainFrame> MakeFrame() {
        FrameEnvironment env;
        env.prompter = &prompter;
        env.storageKind = [](const QString &) { return StorageKind::Fixed; };
        env.now = [] { return QDateTime(QDate(2010, 5, 3), QTime(23, 59, 59)); };
        env.endProcess = [this](int code) { exitCodes.push_back(code); };
        env.downloadServices.buildList = [this](const std::string &dateFolder,
                                                DownloadBatch &batch) {
            if (duringList) duringList();
            listedInto = dateFolder;
            for (int i = 0; listAnswers && i < listedTasks; ++i)
                batch.push_back({dateFolder + "/t/t " + std::to_string(i + 1) + ".jpg", "", ""});
            return listAnswers;
        };
        // Workers are detached and may start after the test: they reach nothing of the fixture.
        env.downloadServices.runWorker = [counters = counters](const DownloadBatch &,
                                                               DownloadProgress &p,
                                                               ArrivalRecord &) { *counters = &p; };
        auto frame = std::make_unique<MainFrame>(std::move(env));
        EXPECT_TRUE(frame->Create());
        return frame;
    }
    // Starts a download and sets the counters as the workers would leave them at a tick.
    void Tick(MainFrame &frame, int batchSize, int worker0, int worker1, int newFolders = 0) {
        frame.download().WaitForWorkers();
        counters->load()->batchSize = static_cast<std::int16_t>(batchSize);
        counters->load()->nextIndex[0] = worker0;
        counters->load()->nextIndex[1] = worker1;
        counters->load()->newFolderCount = static_cast<std::int16_t>(newFolders);
        frame.download().Tick();
    }
    static QStringList Children(const FolderTreeModel &folders, const QString &path) {
        const QModelIndex node = folders.IndexOf(path);
        QStringList names;
        for (int row = 0; node.isValid() && row < folders.rowCount(node); ++row)
            names << folders.index(row, 0, node).data().toString();
        return names;
    }

    TestFolder folder;
    CurrentDirectoryGuard cwd{folder.path()};
    QString root = folder.MakeFolder("pictures");
    ScriptedPrompter prompter;
    bool listAnswers = true;
    int listedTasks = 4;
    std::string listedInto;
    std::function<void()> duringList;  // runs on the list call's own thread
    std::vector<int> exitCodes;
    std::shared_ptr<std::atomic<DownloadProgress *>> counters =
        std::make_shared<std::atomic<DownloadProgress *>>(nullptr);
};

TEST_F(FrameWiringTest, ADownloadShowsItsFolderStatusAndBarAndGreysTheMenuItem) {
    folder.MakeFolder("pictures/2010-05-02");
    folder.MakeFolder("pictures/2010-05-10");
    auto frame = MakeFrame();
    frame->resize(800, 600);
    frame->show();
    QCoreApplication::sendPostedEvents();  // lays the status bar out

    frame->RouteCommand(Command::Download);
    EXPECT_EQ(listedInto, (root + "/2010-05-03").toStdString());
    EXPECT_EQ(Children(frame->folders(), root),
              (QStringList{"2010-05-02", "2010-05-03", "2010-05-10"}));
    EXPECT_FALSE(frame->MenuAction(Command::Download)->isEnabled());
    EXPECT_EQ(frame->StatusText(), "正在下载");
    auto *bar = frame->findChild<QProgressBar *>();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->geometry().left(), 100);
    EXPECT_EQ(bar->geometry().right(), bar->parentWidget()->rect().right());
    EXPECT_EQ(bar->maximum(), 4);
    EXPECT_EQ(bar->value(), 0);

    frame->RouteCommand(Command::Download);
    EXPECT_EQ(prompter.messageTexts(), std::vector<QString>{"下载已经开始"});

    // A tick with new title folders lists the date folder again, before any watch tells, found
    // by its path after a rebuild replaced its node.
    frame->folders().SetRoot(root);
    folder.MakeFolder("pictures/2010-05-03/湖");
    Tick(*frame, 4, 2, 5, 1);
    EXPECT_EQ(frame->StatusText(), "4张/4张");
    EXPECT_EQ(bar->value(), 4);  // clamped to the batch
    EXPECT_EQ(Children(frame->folders(), root + "/2010-05-03"), QStringList{"湖"});

    counters->load()->unsavedCount[static_cast<int>(SaveFailure::NoSpace)] = 50;
    Tick(*frame, 4, 4, 5, 1);
    EXPECT_EQ(frame->StatusText(), "下载完毕");
    EXPECT_TRUE(frame->MenuAction(Command::Download)->isEnabled());
    EXPECT_EQ(prompter.messageTexts().back(), "50张图片无法保存：磁盘空间不足");
    EXPECT_EQ(prompter.shown().back().owner, frame.get());
}

// Counts the paints of a widget.
class PaintCounter : public QObject {
public:
    std::atomic<int> paints = 0;
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// The list call runs off the window's thread: meanwhile the window paints, a click does nothing,
// and closing the window ends the program without a word about the download.
TEST_F(FrameWiringTest, WhileTheListIsAskedForTheWindowPaintsHoldsInputAndCloses) {
    std::mutex mutex;
    std::condition_variable changed;
    bool asking = false, released = false;
    duringList = [&] {
        std::unique_lock lock(mutex);
        asking = true;
        changed.notify_all();
        changed.wait(lock, [&] { return released; });
    };
    auto frame = MakeFrame();
    frame->show();
    PaintCounter painted;
    QWidget *viewport = frame->findChild<PictureView *>()->viewport();
    viewport->installEventFilter(&painted);
    auto *toolbar = frame->findChild<QToolBar *>();
    QWidget *about = toolbar->widgetForAction(toolbar->actions().last());
    std::function<void()> whileAsking = [&] {
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return asking; });
        }
        QTest::mouseClick(about, Qt::LeftButton);
        if (painted.paints == 0) {  // the window's own loop goes on: a repaint comes
            viewport->update();
            QTimer::singleShot(0, whileAsking);
            return;
        }
        frame->close();
        std::lock_guard lock(mutex);
        released = true;
        changed.notify_all();
    };
    QTimer::singleShot(0, whileAsking);

    frame->RouteCommand(Command::Download);

    EXPECT_GT(painted.paints, 0);
    EXPECT_TRUE(prompter.shown().empty()) << "the click on 关于 was held";
    EXPECT_EQ(exitCodes, std::vector<int>{1});
    EXPECT_FALSE(frame->download().isRunning());
    EXPECT_FALSE(QFileInfo::exists(root + "/2010-05-03"));
}

TEST_F(FrameWiringTest, AFailedStartIsReportedAndChangesNothing) {
    const struct {
        bool answers;
        int tasks;
        const char *message;
    } cases[] = {{false, 0, "无法连接到服务器"}, {true, 0, "获取列表失败"}};
    for (const auto &c : cases) {
        listAnswers = c.answers;
        listedTasks = c.tasks;
        prompter.clear();
        auto frame = MakeFrame();
        frame->RouteCommand(Command::Download);
        EXPECT_EQ(prompter.messageTexts(), std::vector<QString>{QString::fromUtf8(c.message)});
        EXPECT_EQ(prompter.shown().back().caption, "");
        EXPECT_EQ(prompter.shown().back().owner, frame.get());
        EXPECT_TRUE(frame->MenuAction(Command::Download)->isEnabled());
        EXPECT_EQ(frame->findChild<QProgressBar *>(), nullptr);
        EXPECT_FALSE(QFileInfo::exists(root + "/2010-05-03"));
    }
}

TEST_F(FrameWiringTest, TheNoticeComesBeforeTheListUntilItIsTickedAway) {
    folder.WriteAnsweredSettings(root);
    prompter.QueueNotice(false);
    prompter.QueueNotice(true);
    auto frame = MakeFrame();
    std::vector<size_t> noticesBeforeList;
    for (int i = 0; i < 3; ++i) {
        listedInto.clear();
        frame->RouteCommand(Command::Download);
        noticesBeforeList.push_back(prompter.shown().size());
        Tick(*frame, 4, 4, 5);
    }
    EXPECT_EQ(noticesBeforeList, (std::vector<size_t>{1, 2, 2}));
    EXPECT_EQ(SettingsStore().ReadSetting("isKnown", 2), "1");
}

// Another root chosen during a download: the tree stays as the user opened it.
TEST_F(FrameWiringTest, AnotherRootChosenDuringADownloadIsLeftAlone) {
    auto frame = MakeFrame();
    frame->RouteCommand(Command::Download);
    const QString otherRoot = folder.MakeFolder("elsewhere");
    folder.MakeFolder("elsewhere/a/inner");
    prompter.QueueFolder(otherRoot);
    frame->RouteCommand(Command::ChooseDownloadFolder);
    auto &tree = *frame->findChild<QTreeView *>();
    const QModelIndex opened = frame->folders().IndexOf(otherRoot + "/a");
    tree.expand(opened);
    tree.setCurrentIndex(opened);
    Tick(*frame, 4, 0, 1, 1);
    EXPECT_EQ(tree.currentIndex(), opened);
    EXPECT_TRUE(tree.isExpanded(opened));
    EXPECT_EQ(Children(frame->folders(), otherRoot), QStringList{"a"});
    EXPECT_EQ(frame->StatusText(), "1张/4张");
    EXPECT_EQ(frame->browser().root(), otherRoot);
}

TEST_F(FrameWiringTest, TheCaptionAndTheDeleteItemFollowTheShownPath) {
    const QString picture = folder.WriteFile("pictures/t/<s>x[*].jpg", "not decodable");
    auto frame = MakeFrame();
    frame->show();
    EXPECT_EQ(frame->windowTitle(), "Lumora 1.00 - " + root);
    EXPECT_FALSE(frame->MenuAction(Command::DeletePicture)->isEnabled());
    frame->findChild<QTreeView *>()->setCurrentIndex(frame->folders().IndexOf(root + "/t"));
    EXPECT_EQ(frame->browser().path(), picture);
    EXPECT_EQ(frame->windowHandle()->title(), "Lumora 1.00 - <s>x[*].jpg");
    EXPECT_TRUE(frame->MenuAction(Command::DeletePicture)->isEnabled());
    frame->RouteCommand(Command::DeletePicture);
    EXPECT_EQ(prompter.shown().back().text, "删除后将不可恢复，确定要删除吗？");
}

TEST_F(FrameWiringTest, StartUpWithoutARootAsksUntilOneIsAcceptedBeforeTheWindowShows) {
    folder.WriteAnsweredSettings(folder.At("vanished"));
    prompter.QueueFolder(std::nullopt);
    prompter.QueueFolder(root);
    auto frame = MakeFrame();
    EXPECT_EQ(prompter.messageTexts(), std::vector<QString>{"请选择将图片下载到哪个文件夹"});
    EXPECT_EQ(prompter.shown().front().owner, frame.get());
    EXPECT_EQ(frame->folders().root(), root);
    EXPECT_EQ(frame->browser().root(), root);
    EXPECT_FALSE(frame->isVisible());
}

// Without a config/ folder the choice cannot be stored; it still holds for the run, and the
// download aims below it.
TEST_F(FrameWiringTest, AChoiceThatCannotBeStoredHoldsForTheRun) {
    QDir(folder.At("config")).removeRecursively();
    prompter.QueueNotice(false);
    prompter.QueueFolder(root);
    auto frame = MakeFrame();
    EXPECT_EQ(frame->folders().index(0, 0).data().toString(), root);
    frame->RouteCommand(Command::Download);
    EXPECT_EQ(FolderOf(QString::fromStdString(listedInto)), root);
    EXPECT_FALSE(QFileInfo::exists(folder.At("config")));
}

// "path=/x/pictures/" names the same root.
TEST_F(FrameWiringTest, AStoredRootIsReadWithoutItsTrailingSlash) {
    folder.WriteAnsweredSettings(root + "/");
    auto frame = MakeFrame();
    EXPECT_EQ(frame->folders().root(), root);
    EXPECT_EQ(frame->browser().root(), root);
}

}  // namespace
