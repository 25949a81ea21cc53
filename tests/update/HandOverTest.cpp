#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "platform/TransferShutdown.h"
#include "support/TestFolders.h"
#include "update/HandOver.h"

namespace {

TEST(HandOverDeathTest, RemovesFilesThatRunningTransfersHadNotFinished) {
    TestFolder folder;
    const std::string folderName = QFile::encodeName(folder.path()).toStdString();
    const std::string style = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "fast");  // the child must share this process's transfers
    EXPECT_EXIT(
        {
            const RunningTransferScope running;
            UnfinishedFile unfinished(folderName);
            if (!unfinished.Create()) std::exit(1);
            EndProcessNow(0);
        },
        ::testing::ExitedWithCode(0), "");
    GTEST_FLAG_SET(death_test_style, style);
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

}  // namespace
