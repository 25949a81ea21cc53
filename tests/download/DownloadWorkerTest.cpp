#include <gtest/gtest.h>

#include <QFileInfo>
#include <algorithm>
#include <thread>

#include "LoopbackPictureServer.h"
#include "download/DownloadProgress.h"
#include "download/DownloadWorker.h"
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

// Each task once, whichever worker claims which number; one index ends past the end.
TEST(DownloadWorker, TwoConcurrentWorkersFetchEveryTaskOnce) {
    LoopbackPictureServer server;
    TestFolder folder;
    const auto batch = MakeBatch(server, folder, 7);
    DownloadProgress progress;

    std::thread first([&] { RunDownloadWorker(*batch, progress); });
    std::thread second([&] { RunDownloadWorker(*batch, progress); });
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

}  // namespace
