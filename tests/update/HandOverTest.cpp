#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <chrono>
#include <cstdio>
#include <thread>

#include "download/TransferShutdown.h"
#include "support/TestFolders.h"
#include "update/HandOver.h"

namespace {

TEST(HandOverTest, StartsTheScriptDetachedInItsFolderWithItsArguments) {
    TestFolder folder;
    const QString temp = folder.MakeFolder("temp");
    folder.WriteFile("temp/move.sh",
                     "printf '%s|%s|%s' \"$1\" \"$2\" \"$(pwd)\" > seen.part\n"
                     "mv seen.part seen\n");
    ASSERT_TRUE(StartDetachedProcess("/bin/sh", {"move.sh", "/", temp}, temp));

    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!QFile::exists(temp + "/seen") && std::chrono::steady_clock::now() < give_up)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(QString::fromUtf8(ReadWholeFile(temp + "/seen")), "/|" + temp + "|" + temp);
}

TEST(HandOverDeathTest, EndsTheProcessWithTheGivenCode) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(EndProcessNow(0), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(EndProcessNow(3), ::testing::ExitedWithCode(3), "");
}

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
