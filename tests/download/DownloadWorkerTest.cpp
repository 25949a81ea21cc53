#include <gtest/gtest.h>

#include <QFileInfo>
#include <algorithm>
#include <thread>

#include "LoopbackPictureServer.h"
#include "download/DownloadProgress.h"
#include "download/DownloadWorker.h"
#include "platform/TransferShutdown.h"
#include "support/TestFolders.h"

namespace {

// A batch of `count` tasks, task i fetching "/p<i>.jpg" into "<folder>/t/t <i>.jpg".
std::shared_ptr<DownloadBatch> MakeBatch(LoopbackPictureServer &server, const TestFolder &folder,
                                         int count) {
    auto batch = std::make_shared<DownloadBatch>();
    for (int i = 0; i < count; ++i) {
        const std::string name = "/p" + std::to_string(i) + ".jpg";
        server.Put(name, JpegOfSize(400, 400));
        batch->push_back({folder.At(QString("t/t %1.jpg").arg(i)).toStdString(), "ref.example",
                          server.host() + name});
    }
    return batch;
}

std::vector<std::string> PathsOf(const std::vector<int> &indexes) {
    std::vector<std::string> paths;
    for (int i : indexes) paths.push_back("/p" + std::to_string(i) + ".jpg");
    return paths;
}

struct SplitCase {
    int tasks;
    std::vector<int> worker0Tasks;
    std::vector<int> worker1Tasks;
    int worker0End;
    int worker1End;
};

void PrintTo(const SplitCase &c, std::ostream *os) { *os << c.tasks << " tasks"; }

class WorkerSplit : public ::testing::TestWithParam<SplitCase> {};

// Run one after the other, so each worker's own requests can be told apart.
TEST_P(WorkerSplit, FirstClaimantTakesEvenIndexesSecondTheOdd) {
    const SplitCase &c = GetParam();
    LoopbackPictureServer server;
    TestFolder folder;
    const auto batch = MakeBatch(server, folder, c.tasks);
    DownloadProgress progress;

    EXPECT_EQ(DownloadWorker(batch, progress), 0);
    EXPECT_EQ(server.requestedPaths(), PathsOf(c.worker0Tasks));
    EXPECT_EQ(progress.nextIndex[0], c.worker0End);
    EXPECT_EQ(progress.batchSize, c.tasks);

    DownloadWorker(batch, progress);
    auto worker1Paths = server.requestedPaths();
    worker1Paths.erase(worker1Paths.begin(), worker1Paths.begin() + c.worker0Tasks.size());
    EXPECT_EQ(worker1Paths, PathsOf(c.worker1Tasks));
    EXPECT_EQ(progress.nextIndex[1], c.worker1End);
    for (int i = 0; i < c.tasks; ++i)
        EXPECT_TRUE(QFileInfo::exists(folder.At(QString("t/t %1.jpg").arg(i)))) << i;
}

INSTANTIATE_TEST_SUITE_P(Batches, WorkerSplit,
                         ::testing::Values(SplitCase{5, {0, 2, 4}, {1, 3}, 6, 5},
                                           SplitCase{4, {0, 2}, {1, 3}, 4, 5},
                                           SplitCase{1, {0}, {}, 2, 1}),
                         [](const auto &info) {
                             return std::to_string(info.param.tasks) + "Tasks";
                         });

TEST(DownloadWorker, TwoConcurrentWorkersFetchEveryTaskOnce) {
    LoopbackPictureServer server;
    TestFolder folder;
    const auto batch = MakeBatch(server, folder, 7);
    DownloadProgress progress;

    std::thread first([&] { DownloadWorker(batch, progress); });
    std::thread second([&] { DownloadWorker(batch, progress); });
    first.join();
    second.join();

    auto paths = server.requestedPaths();
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, PathsOf({0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(std::max(progress.nextIndex[0].load(), progress.nextIndex[1].load()), 8);
    EXPECT_EQ(std::min(progress.nextIndex[0].load(), progress.nextIndex[1].load()), 7);
    for (const auto &request : server.requests())
        EXPECT_EQ(request.headers.at("referer"), "http://ref.example");
}

TEST(DownloadWorker, DetachedWorkersOutliveTheirStarterAndKeepTheBatch) {
    LoopbackPictureServer server;
    TestFolder folder;
    static DownloadProgress progress;  // outlives the detached workers
    {
        auto batch = MakeBatch(server, folder, 3);
        StartDownloadWorkers(batch, progress);
        EXPECT_TRUE(TransfersRunning());
    }  // the starter's reference is gone; the workers hold theirs
    while (TransfersRunning()) std::this_thread::yield();

    EXPECT_EQ(std::max(progress.nextIndex[0].load(), progress.nextIndex[1].load()), 4);
    EXPECT_EQ(std::min(progress.nextIndex[0].load(), progress.nextIndex[1].load()), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(QFileInfo::exists(folder.At(QString("t/t %1.jpg").arg(i)))) << i;
}

// A new download resets the shared counters; a worker still on the old batch goes on from its
// own place instead of fetching again what it already fetched.
TEST(DownloadWorker, ResetOfTheCountersNeverSendsAWorkerBack) {
    LoopbackPictureServer server;
    TestFolder folder;
    const auto batch = MakeBatch(server, folder, 5);
    const QByteArray picture = JpegOfSize(400, 400);
    server.PutStalled("/p2.jpg", picture, static_cast<std::size_t>(picture.size() / 2));
    DownloadProgress progress;
    std::thread worker([&] { DownloadWorker(batch, progress); });
    while (server.requestedPaths().size() < 2) std::this_thread::yield();
    progress.Reset();
    server.ReleaseStalled();
    worker.join();
    EXPECT_EQ(server.requestedPaths(), PathsOf({0, 2, 4}));
    EXPECT_EQ(progress.nextIndex[0], 6);
}

}  // namespace
