#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QTimer>
#include <QToolBar>
#include <memory>
#include <thread>

#include "LoopbackPictureServer.h"
#include "app/MainFrame.h"
#include "download/DownloadCommand.h"
#include "download/DownloadProgress.h"
#include "platform/TransferShutdown.h"
#include "resources/CommandIds.h"
#include "support/ScriptedPrompter.h"
#include "support/TestFolders.h"
#include "tree/FolderTree.h"

namespace {

const QString kToday = QStringLiteral("2010-05-03");

// A frame on a temporary current directory whose settings answer the first-run questions, with
// a fixed clock, scripted dialogs and a scripted list call; the workers are not started unless a
// test starts them, so the test sets the progress counters itself.
class DownloadCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = folder.MakeFolder("pictures");
        WriteSettings("");
        ProcessDownloadProgress().Reset();
    }

    void WriteSettings(const QString &isKnown) {
        folder.WriteAnsweredSettings(root, "isKnown=" + isKnown.toUtf8() + "\n");
    }

    std::unique_ptr<CMainFrame> MakeFrame() {
        FrameEnvironment env;
        env.prompter = &prompter;
        env.storageKind = [](const QString &) { return StorageKind::Fixed; };
        env.now = [] { return QDateTime(QDate(2010, 5, 3), QTime(23, 59, 59)); };
        env.downloadServices.buildList = [this](std::string dateFolder, DownloadBatch &batch) {
            listRequests.push_back(dateFolder);
            noticesBeforeList.push_back(NoticeCount());
            batch.clear();
            if (!listAnswers) return false;
            for (int i = 0; i < listedTasks; ++i)
                batch.push_back({dateFolder + "/t/t " + std::to_string(i + 1) + ".jpg", "",
                                 server ? server->host() + "/p.jpg" : "127.0.0.1:1/p.jpg"});
            return true;
        };
        env.downloadServices.startWorkers = [this](std::shared_ptr<const DownloadBatch> batch) {
            startedBatches.push_back(batch);
            if (runRealWorkers) StartDownloadWorkers(batch, ProcessDownloadProgress());
        };
        auto frame = std::make_unique<CMainFrame>(std::move(env));
        EXPECT_TRUE(frame->Create());
        return frame;
    }

    int NoticeCount() const {
        int count = 0;
        for (const auto &shown : prompter.shown())
            count += shown.kind == ScriptedPrompter::Kind::Notice;
        return count;
    }

    // Sets the counters as the workers would leave them.
    static void Progress(int batchSize, int worker0, int worker1) {
        DownloadProgress &progress = ProcessDownloadProgress();
        progress.batchSize = static_cast<std::int16_t>(batchSize);
        progress.nextIndex[0] = worker0;
        progress.nextIndex[1] = worker1;
    }

    static bool MenuItemEnabled(const CMainFrame &frame) {
        return frame.MenuAction(ID_ACTION_DOWNLOAD)->isEnabled();
    }

    static QStringList ChildTexts(FolderTree &tree, QTreeWidgetItem *node) {
        QStringList texts;
        for (int i = 0; node && i < node->childCount(); ++i)
            texts << tree.GetNodeText(node->child(i));
        return texts;
    }

    QTreeWidgetItem *DateNode(CMainFrame &frame) {
        FolderTree &tree = *frame.tree();
        QTreeWidgetItem *rootNode = tree.RootNode();
        for (int i = 0; rootNode && i < rootNode->childCount(); ++i)
            if (tree.GetNodeText(rootNode->child(i)) == kToday) return rootNode->child(i);
        return nullptr;
    }

    TestFolder folder;
    CurrentDirectoryGuard cwd{folder.path()};
    QString root;
    ScriptedPrompter prompter;
    bool listAnswers = true;
    int listedTasks = 4;
    bool runRealWorkers = false;
    LoopbackPictureServer *server = nullptr;
    std::vector<std::string> listRequests;
    std::vector<int> noticesBeforeList;
    std::vector<std::shared_ptr<const DownloadBatch>> startedBatches;
};

TEST_F(DownloadCommandTest, StartCreatesTheDateFolderAndNodeAndShowsTheProgressDisplay) {
    folder.MakeFolder("pictures/2010-05-02");
    folder.MakeFolder("pictures/2010-05-04");
    prompter.QueueNotice(false);
    auto frame = MakeFrame();
    frame->resize(800, 600);
    frame->show();
    QCoreApplication::sendPostedEvents();  // lays the status bar out
    ASSERT_GT(frame->StatusPart()->width(), 200);

    frame->RouteCommand(ID_ACTION_DOWNLOAD);

    EXPECT_EQ(listRequests, std::vector<std::string>{(root + "/2010-05-03").toStdString()});
    EXPECT_TRUE(QFileInfo(root + "/2010-05-03").isDir());
    EXPECT_EQ(ChildTexts(*frame->tree(), frame->tree()->RootNode()),
              (QStringList{"2010-05-02", "2010-05-03", "2010-05-04"}));
    EXPECT_EQ(frame->state().downloadNode, DateNode(*frame));
    EXPECT_EQ(frame->state().downloadFolder, root + "/2010-05-03");
    EXPECT_FALSE(MenuItemEnabled(*frame));
    for (QAction *action : frame->toolbar()->actions()) {  // only the menu's item is greyed
        if (action->property("commandId").toInt() == ID_ACTION_DOWNLOAD) {
            EXPECT_TRUE(action->isEnabled());
        }
    }
    EXPECT_TRUE(frame->progressTimer()->isActive());
    EXPECT_EQ(frame->progressTimer()->interval(), 2000);
    EXPECT_EQ(frame->StatusText(), "正在下载");
    ASSERT_EQ(startedBatches.size(), 1u);
    EXPECT_EQ(startedBatches[0].get(), frame->downloadState().batch.get());
    EXPECT_EQ(startedBatches[0]->size(), 4u);

    QProgressBar *bar = DownloadProgressBar(*frame);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->parentWidget(), frame->StatusPart());
    EXPECT_EQ(bar->geometry().left(), 100);
    EXPECT_EQ(bar->geometry().right(), frame->StatusPart()->rect().right());
    EXPECT_EQ(bar->maximum(), 4);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_TRUE(prompter.messageTexts().empty());
}

struct FailedStart {
    const char *name;
    bool listAnswers;
    int tasks;
    const char *message;
};

class DownloadCommandFailure : public DownloadCommandTest,
                               public ::testing::WithParamInterface<FailedStart> {};

TEST_P(DownloadCommandFailure, ReportsAndLeavesEverythingAsItWas) {
    const FailedStart &c = GetParam();
    WriteSettings("1");
    listAnswers = c.listAnswers;
    listedTasks = c.tasks;
    auto frame = MakeFrame();

    frame->RouteCommand(ID_ACTION_DOWNLOAD);

    EXPECT_EQ(prompter.messageTexts(), std::vector<QString>{QString::fromUtf8(c.message)});
    EXPECT_EQ(prompter.shown().back().caption, "");
    EXPECT_EQ(prompter.shown().back().owner, frame.get());
    EXPECT_FALSE(QFileInfo::exists(root + "/2010-05-03"));
    EXPECT_TRUE(MenuItemEnabled(*frame));
    EXPECT_FALSE(frame->progressTimer()->isActive());
    EXPECT_TRUE(startedBatches.empty());
    EXPECT_EQ(DownloadProgressBar(*frame), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Starts, DownloadCommandFailure,
                         ::testing::Values(FailedStart{"NoListText", false, 0, "无法连接到服务器"},
                                           FailedStart{"EmptyList", true, 0, "获取列表失败"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(DownloadCommandTest, ChoosingItAgainDuringADownloadChangesNothing) {
    WriteSettings("1");
    auto frame = MakeFrame();
    frame->RouteCommand(ID_ACTION_DOWNLOAD);
    const auto batch = frame->downloadState().batch;

    frame->RouteCommand(ID_ACTION_DOWNLOAD);

    EXPECT_EQ(prompter.messageTexts(), std::vector<QString>{"下载已经开始"});
    EXPECT_EQ(listRequests.size(), 1u);
    EXPECT_EQ(startedBatches.size(), 1u);
    EXPECT_EQ(frame->downloadState().batch, batch);
    EXPECT_EQ(batch->size(), 4u);
}

TEST_F(DownloadCommandTest, NoticeComesBeforeTheListOnEveryDownloadUntilTicked) {
    prompter.QueueNotice(false);
    prompter.QueueNotice(true);
    auto frame = MakeFrame();
    const auto downloadAndFinish = [&] {
        frame->RouteCommand(ID_ACTION_DOWNLOAD);
        Progress(4, 4, 5);
        OnProgressTimer(*frame);
    };

    downloadAndFinish();
    downloadAndFinish();
    downloadAndFinish();

    EXPECT_EQ(noticesBeforeList, (std::vector<int>{1, 2, 2}));
    EXPECT_EQ(SettingsStore().ReadSetting("isKnown", 2), "1");
    EXPECT_TRUE(prompter.messageTexts().empty());
}

TEST_F(DownloadCommandTest, SecondDownloadOnTheSameDayReusesTheDateNode) {
    WriteSettings("1");
    auto frame = MakeFrame();
    frame->RouteCommand(ID_ACTION_DOWNLOAD);
    Progress(4, 4, 5);
    OnProgressTimer(*frame);

    frame->RouteCommand(ID_ACTION_DOWNLOAD);

    EXPECT_EQ(ChildTexts(*frame->tree(), frame->tree()->RootNode()), QStringList{kToday});
    EXPECT_EQ(frame->state().downloadNode, DateNode(*frame));
    EXPECT_NE(frame->state().downloadNode, nullptr);
    EXPECT_FALSE(MenuItemEnabled(*frame));
}

// One row per tick: the counters the workers left, and what the display shows then.
struct Tick {
    int batchSize, worker0, worker1;
    const char *text;
    bool finished;
    int barValue;
};

struct FinishCase {
    const char *name;
    int tasks;
    std::vector<Tick> ticks;
};

class ProgressTimerFinish : public DownloadCommandTest,
                            public ::testing::WithParamInterface<FinishCase> {};

TEST_P(ProgressTimerFinish, FinishesOnlyWhenOneIndexIsPastTheEndAndTheOtherAtIt) {
    WriteSettings("1");
    listedTasks = GetParam().tasks;
    auto frame = MakeFrame();
    frame->RouteCommand(ID_ACTION_DOWNLOAD);

    for (const Tick &tick : GetParam().ticks) {
        SCOPED_TRACE(tick.text);
        Progress(tick.batchSize, tick.worker0, tick.worker1);
        OnProgressTimer(*frame);
        EXPECT_EQ(frame->StatusText(), QString::fromUtf8(tick.text));
        EXPECT_EQ(MenuItemEnabled(*frame), tick.finished);
        EXPECT_EQ(frame->progressTimer()->isActive(), !tick.finished);
        EXPECT_EQ(DownloadProgressBar(*frame)->value(), tick.barValue);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Batches, ProgressTimerFinish,
    ::testing::Values(FinishCase{"FourTasks",
                                 4,
                                 {{0, 0, 0, "0张/0张", false, 1},  // before either worker claimed
                                  {4, 0, 1, "1张/4张", false, 2},
                                  {4, 2, 3, "3张/4张", false, 4},
                                  // worker 1 ended; worker 0 still fetches task 2
                                  {4, 2, 5, "4张/4张", false, 4},
                                  {4, 4, 5, "下载完毕", true, 4}}},
                      // The bar's position is clamped to the batch size, never left behind.
                      FinishCase{"FourTasksWorkerOneEndsBetweenTicks",
                                 4,
                                 {{4, 0, 1, "1张/4张", false, 2},
                                  {4, 2, 5, "4张/4张", false, 4},
                                  {4, 4, 5, "下载完毕", true, 4}}},
                      FinishCase{"OneTask",
                                 1,
                                 {{1, 0, 1, "1张/1张", false, 1},  // worker 1 has nothing to fetch
                                  {1, 2, 1, "下载完毕", true, 1}}}),
    [](const auto &info) { return std::string(info.param.name); });

// Pictures that could not be saved: the status still says the download ended, then one box says
// how many and why.
TEST_F(DownloadCommandTest, FinishTellsHowManyPicturesCouldNotBeSaved) {
    WriteSettings("1");
    auto frame = MakeFrame();
    frame->RouteCommand(ID_ACTION_DOWNLOAD);
    const std::size_t messagesBefore = prompter.shown().size();
    ProcessDownloadProgress().unsavedCount[static_cast<int>(SaveFailure::NoSpace)] = 50;

    Progress(4, 4, 5);
    OnProgressTimer(*frame);

    EXPECT_EQ(frame->StatusText(), "下载完毕");
    ASSERT_EQ(prompter.shown().size(), messagesBefore + 1);
    EXPECT_EQ(prompter.shown().back().text, "50张图片无法保存：磁盘空间不足");
    EXPECT_EQ(prompter.shown().back().caption, "");
    EXPECT_EQ(prompter.shown().back().buttons, Buttons::Ok);
}

TEST_F(DownloadCommandTest, NewTitleFoldersShowUnderTheDateNodeAtTheNextTick) {
    WriteSettings("1");
    auto frame = MakeFrame();
    frame->RouteCommand(ID_ACTION_DOWNLOAD);
    Progress(4, 0, 1);
    DownloadProgress &progress = ProcessDownloadProgress();

    folder.MakeFolder("pictures/2010-05-03/湖");
    ++progress.newFolderCount;
    OnProgressTimer(*frame);
    EXPECT_EQ(ChildTexts(*frame->tree(), DateNode(*frame)), QStringList{"湖"});

    // A rebuild replaces every node; the timer finds the date node again by its text.
    frame->tree()->RefreshFolderNode(nullptr, QString());
    folder.MakeFolder("pictures/2010-05-03/山");
    ++progress.newFolderCount;
    OnProgressTimer(*frame);
    EXPECT_EQ(ChildTexts(*frame->tree(), DateNode(*frame)).size(), 2);
    EXPECT_EQ(frame->state().downloadNode, DateNode(*frame));
}

TEST_F(DownloadCommandTest, AnotherRootChosenMeanwhileIsLeftAsTheUserOpenedIt) {
    WriteSettings("1");
    auto frame = MakeFrame();
    frame->RouteCommand(ID_ACTION_DOWNLOAD);
    Progress(4, 0, 1);

    const QString otherRoot = folder.MakeFolder("elsewhere");
    folder.MakeFolder("elsewhere/a/inner");
    prompter.QueueFolder(otherRoot);
    frame->RouteCommand(ID_SETTINGS_DOWNLOAD_FOLDER);
    FolderTree &tree = *frame->tree();
    QTreeWidgetItem *opened = tree.RootNode()->child(0);
    opened->setExpanded(true);
    tree.setCurrentItem(opened);

    folder.MakeFolder("pictures/2010-05-03/湖");
    ++ProcessDownloadProgress().newFolderCount;
    OnProgressTimer(*frame);
    EXPECT_EQ(tree.currentItem(), opened);  // the same node: nothing was rebuilt
    EXPECT_TRUE(opened->isExpanded());
    EXPECT_EQ(frame->state().downloadNode, nullptr);
    EXPECT_EQ(frame->StatusText(), "1张/4张");
}

TEST_F(DownloadCommandTest, RealWorkersFetchTheBatchAndTheTimerClosesTheDownload) {
    WriteSettings("1");
    LoopbackPictureServer pictures;
    pictures.Put("/p.jpg", JpegOfSize(400, 400));
    server = &pictures;
    runRealWorkers = true;
    listedTasks = 3;
    auto frame = MakeFrame();
    frame->RouteCommand(ID_ACTION_DOWNLOAD);

    while (TransfersRunning()) std::this_thread::yield();
    OnProgressTimer(*frame);

    EXPECT_EQ(frame->StatusText(), "下载完毕");
    EXPECT_TRUE(MenuItemEnabled(*frame));
    EXPECT_EQ(ChildTexts(*frame->tree(), DateNode(*frame)), QStringList{"t"});
    EXPECT_EQ(QDir(root + "/2010-05-03/t").entryList(QDir::Files),
              (QStringList{"t 1.jpg", "t 2.jpg", "t 3.jpg"}));
}

}  // namespace
