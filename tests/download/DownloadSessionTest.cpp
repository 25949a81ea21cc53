#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <memory>
#include <set>

#include "LoopbackPictureServer.h"
#include "download/DownloadSession.h"
#include "platform/TransferShutdown.h"
#include "support/TestFolders.h"

namespace {

const QDate kDay(2010, 5, 3);

// A session below a temporary root whose list call names `listedTasks` pictures of the title
// "t" (or fails), and whose workers are scripted: the test sets their counters itself, unless
// `realWorkers`, and they end when `release` is set.
class DownloadSessionTest : public ::testing::Test {
protected:
    DownloadSession::Services Services() {
        DownloadSession::Services services = DownloadSession::Services::Real();
        services.buildList = [this](const std::string &dateFolder, DownloadBatch &batch) {
            listRequests.push_back(dateFolder);
            if (!listAnswers) return false;
            for (int i = 0; i < listedTasks; ++i)
                batch.push_back({dateFolder + "/t/t " + std::to_string(i + 1) + ".jpg", "",
                                 server ? server->host() + "/p.jpg" : "127.0.0.1:1/p.jpg"});
            return true;
        };
        if (!realWorkers)
            services.runWorker = [this](const DownloadBatch &, DownloadProgress &progress,
                                        ArrivalRecord &) { counters = &progress; };
        return services;
    }
    void Set(int batchSize, int worker0, int worker1) {
        counters.load()->batchSize = static_cast<std::int16_t>(batchSize);
        counters.load()->nextIndex[0] = worker0;
        counters.load()->nextIndex[1] = worker1;
    }

    TestFolder folder;
    QString root = folder.MakeFolder("pictures");
    bool listAnswers = true;
    int listedTasks = 4;
    bool realWorkers = false;
    LoopbackPictureServer *server = nullptr;
    std::vector<std::string> listRequests;
    std::atomic<DownloadProgress *> counters = nullptr;
    std::unique_ptr<DownloadSession> session;

    DownloadSession &Begun(DownloadSession::Start expected = DownloadSession::Start::Started) {
        session = std::make_unique<DownloadSession>(Services(), std::chrono::hours(1));
        EXPECT_EQ(session->Begin(root, kDay), expected);
        if (expected == DownloadSession::Start::Started && !realWorkers) session->WaitForWorkers();
        return *session;
    }
};

TEST_F(DownloadSessionTest, StartAsksForTheDaysListAndCreatesItsFolderBeforeTheWorkers) {
    session = std::make_unique<DownloadSession>(Services(), std::chrono::hours(1));
    QSignalSpy ready(session.get(), &DownloadSession::dateFolderReady);
    ASSERT_EQ(session->Begin(root, kDay), DownloadSession::Start::Started);
    EXPECT_EQ(listRequests, std::vector<std::string>{(root + "/2010-05-03").toStdString()});
    ASSERT_EQ(ready.count(), 1);
    EXPECT_EQ(ready.front()[0].toString(), root + "/2010-05-03");
    EXPECT_TRUE(ready.front()[1].toBool()) << "created now";
    EXPECT_TRUE(QFileInfo(root + "/2010-05-03").isDir());
    EXPECT_TRUE(session->isRunning());
    EXPECT_EQ(session->batch().size(), 4u);
    EXPECT_EQ(session->Begin(root, kDay), DownloadSession::Start::AlreadyRunning);
    EXPECT_EQ(listRequests.size(), 1u);
    session->WaitForWorkers();
}

struct FailedStart {
    const char *name;
    bool listAnswers;
    int tasks;
    DownloadSession::Start start;
};

class DownloadSessionFailure : public DownloadSessionTest,
                               public ::testing::WithParamInterface<FailedStart> {};

TEST_P(DownloadSessionFailure, CreatesNothing) {
    listAnswers = GetParam().listAnswers;
    listedTasks = GetParam().tasks;
    DownloadSession &failed = Begun(GetParam().start);
    EXPECT_FALSE(QFileInfo::exists(root + "/2010-05-03"));
    EXPECT_FALSE(failed.isRunning());
    EXPECT_TRUE(failed.batch().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Starts, DownloadSessionFailure,
    ::testing::Values(FailedStart{"NoListText", false, 0, DownloadSession::Start::NoConnection},
                      FailedStart{"EmptyList", true, 0, DownloadSession::Start::NoTasks}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(DownloadSessionTest, ASecondDownloadOnTheSameDayFindsItsFolder) {
    folder.MakeFolder("pictures/2010-05-03");
    session = std::make_unique<DownloadSession>(Services(), std::chrono::hours(1));
    QSignalSpy ready(session.get(), &DownloadSession::dateFolderReady);
    session->Begin(root, kDay);
    session->WaitForWorkers();
    ASSERT_EQ(ready.count(), 1);
    EXPECT_FALSE(ready.front()[1].toBool());
}

// A record that a killed process cut off is read without its unfinished line; with newOnly the
// pictures recorded as arrived are left out, and when none is left nothing starts.
TEST_F(DownloadSessionTest, NewOnlyLeavesOutWhatTheRecordSaysArrived) {
    const QString dateFolder = folder.MakeFolder("pictures/2010-05-03");
    folder.WriteFile("pictures/2010-05-03/.lumora-arrived", "127.0.0.1:1/p.jpg\nhalf-writ");
    ArrivalRecord record(dateFolder.toStdString());
    EXPECT_EQ(record.Read(), std::set<std::string>{"127.0.0.1:1/p.jpg"});
    record.Add("other.example/q.jpg");  // after the cut line, not onto it
    EXPECT_EQ(record.Read().count("other.example/q.jpg"), 1u);

    session = std::make_unique<DownloadSession>(Services(), std::chrono::hours(1));
    EXPECT_EQ(session->Begin(root, kDay, true), DownloadSession::Start::NothingNew);
    EXPECT_FALSE(session->isRunning());
    EXPECT_EQ(session->Begin(root, kDay), DownloadSession::Start::Started);
    session->WaitForWorkers();
}

// One row per tick: the counters the workers left, and what the tick tells.
struct Tick {
    int batchSize, worker0, worker1;
    int reached, furthest;
    bool finished;
};

struct TickCase {
    const char *name;
    std::vector<Tick> ticks;
};

class DownloadSessionTicks : public DownloadSessionTest,
                             public ::testing::WithParamInterface<TickCase> {};

TEST_P(DownloadSessionTicks, EndsOnlyWhenOneIndexIsPastTheEndAndTheOtherAtIt) {
    DownloadSession &running = Begun();
    QSignalSpy progressed(&running, &DownloadSession::progressed);
    QSignalSpy finished(&running, &DownloadSession::finished);
    for (const Tick &tick : GetParam().ticks) {
        Set(tick.batchSize, tick.worker0, tick.worker1);
        running.Tick();
        QSignalSpy &told = tick.finished ? finished : progressed;
        ASSERT_FALSE(told.isEmpty());
        const auto reading = told.takeLast().front().value<ProgressReading>();
        EXPECT_EQ(reading.batchSize, tick.batchSize);
        EXPECT_EQ(reading.reached, tick.reached);
        EXPECT_EQ(reading.furthest, tick.furthest);
        EXPECT_EQ(running.isRunning(), !tick.finished);
    }
    running.Tick();  // after the end nothing more is told
    EXPECT_TRUE(progressed.isEmpty() && finished.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Batches, DownloadSessionTicks,
    ::testing::Values(TickCase{"FourTasks",
                               {{0, 0, 0, 0, 0, false},  // before either worker claimed
                                {4, 0, 1, 1, 1, false},
                                {4, 2, 5, 4, 5, false},  // worker 0 still fetches task 2
                                {4, 4, 5, 4, 5, true}}},
                      TickCase{"OneTask", {{1, 0, 1, 1, 1, false}, {1, 2, 1, 1, 2, true}}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(DownloadSessionTest, TicksTellFoldersCreatedSinceTheLastTickThatToldThem) {
    DownloadSession &running = Begun();
    QSignalSpy progressed(&running, &DownloadSession::progressed);
    Set(4, 0, 1);
    for (const int created : {0, 1, 1, 3}) {
        counters.load()->newFolderCount = static_cast<std::int16_t>(created);
        running.Tick();
    }
    std::vector<bool> told;
    for (const auto &tick : progressed) told.push_back(tick[1].toBool());
    EXPECT_EQ(told, (std::vector<bool>{false, true, false, true}));
}

TEST_F(DownloadSessionTest, RealWorkersFetchTheBatchAndTheEndReportsWhatWasSaved) {
    LoopbackPictureServer pictures;
    pictures.Put("/p.jpg", JpegOfSize(400, 400));
    server = &pictures;
    realWorkers = true;
    listedTasks = 3;
    DownloadSession &running = Begun();
    QSignalSpy finished(&running, &DownloadSession::finished);
    running.WaitForWorkers();
    running.Tick();
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.front()[1].value<SaveReport>().kept, 3);
    EXPECT_EQ(QDir(root + "/2010-05-03/t").entryList(QDir::Files),
              (QStringList{"t 1.jpg", "t 2.jpg", "t 3.jpg"}));
}

// The window closes during a download without waiting: the workers keep what they share.
TEST_F(DownloadSessionTest, WorkersOutliveTheirSession) {
    LoopbackPictureServer pictures;
    const QByteArray picture = JpegOfSize(400, 400);
    pictures.PutStalled("/p.jpg", picture, static_cast<std::size_t>(picture.size() / 2));
    server = &pictures;
    realWorkers = true;
    listedTasks = 2;
    Begun();
    while (pictures.requestedPaths().size() < 2) std::this_thread::yield();
    session.reset();
    pictures.ReleaseStalled();
    while (TransfersRunning()) std::this_thread::yield();
    EXPECT_EQ(QDir(root + "/2010-05-03/t").entryList(QDir::Files),
              (QStringList{"t 1.jpg", "t 2.jpg"}));
}

}  // namespace
