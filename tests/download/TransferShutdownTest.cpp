#include <gtest/gtest.h>

#include <QDir>
#include <thread>

#include "LoopbackPictureServer.h"
#include "download/DownloadProgress.h"
#include "download/FetchPicture.h"
#include "platform/TransferShutdown.h"
#include "service/CurlHandle.h"
#include "support/TestFolders.h"

namespace {

// The program closed while a picture is half transferred: the process ends at once with its
// exit code, and neither the unfinished file nor a file under the picture's name is left.
TEST(TransferShutdownDeathTest, EndingMidTransferLeavesNoFileBehind) {
    GTEST_FLAG_SET(death_test_style, "fast");  // the child shares this test's folder
    TestFolder folder;
    const std::string local = folder.At("t/t 1.jpg").toStdString();

    EXPECT_EXIT(
        {
            static LoopbackPictureServer server;
            const QByteArray picture = JpegOfSize(400, 400);
            server.PutStalled("/slow.jpg", picture, static_cast<std::size_t>(picture.size() / 2));
            std::thread([local] {
                static DownloadProgress progress;
                CurlHandle handle = MakeCurlHandle();
                FetchPicture(handle.get(), server.host() + "/slow.jpg", "", local, progress);
            }).detach();
            while (UnfinishedFilesIn(folder.At("t")).isEmpty()) std::this_thread::yield();
            EXPECT_TRUE(TransfersRunning());
            EndProcessDuringTransfers(3);
        },
        ::testing::ExitedWithCode(3), "");

    EXPECT_TRUE(QDir(folder.At("t")).isEmpty());
    EXPECT_FALSE(TransfersRunning());
}

}  // namespace
