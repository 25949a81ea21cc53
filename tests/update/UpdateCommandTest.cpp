#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QTimer>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

#include "FakeUpdateService.h"
#include "app/MainFrame.h"
#include "platform/TransferShutdown.h"
#include "resources/CommandIds.h"
#include "support/ScriptedPrompter.h"
#include "support/TestFolders.h"
#include "update/UpdateChecker.h"
#include "update/UpdateCommand.h"

namespace {

// Runs the event loop until `done` holds; the bound only keeps a broken build from hanging.
bool WaitUntil(const std::function<bool()> &done) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done()) {
        if (std::chrono::steady_clock::now() > give_up) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

class UpdateCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        updateState = 0;
        const QString root = folder.MakeFolder("pictures");
        folder.WriteAnsweredSettings(root);
    }

    // Waits for a check started by the timer, so that no thread outlives the test's fakes.
    void TearDown() override {
        EXPECT_TRUE(WaitUntil([] { return updateState != 1; }));
    }

    std::unique_ptr<CMainFrame> MakeFrame(UpdateServices services) {
        FrameEnvironment env;
        env.prompter = &prompter;
        env.updateServices = std::move(services);
        env.startScript = [this](const QString &, const QStringList &, const QString &) {
            ++scriptsStarted;
            return true;
        };
        env.endProcess = [this](int code) { exitCodes.push_back(code); };
        auto frame = std::make_unique<CMainFrame>(std::move(env));
        EXPECT_TRUE(frame->Create());
        prompter.clear();
        return frame;
    }

    TestFolder folder;
    CurrentDirectoryGuard cwd{folder.path()};
    ScriptedPrompter prompter;
    FakeUpdateService service;
    int scriptsStarted = 0;
    std::vector<int> exitCodes;
};

TEST_F(UpdateCommandTest, MenuBeforeTheTimerStopsTimer2) {
    service.list = {"1.00"};
    auto frame = MakeFrame(service.Services());
    ASSERT_TRUE(frame->updateTimer()->isActive());
    EXPECT_EQ(frame->updateTimer()->interval(), 20000);
    frame->RouteCommand(ID_HELP_CHECK_VERSION);
    EXPECT_FALSE(frame->updateTimer()->isActive());
    EXPECT_EQ(service.versionRequests(), 1);
}

TEST_F(UpdateCommandTest, TimerChecksOnceSilentlyOnItsOwnThread) {
    service.list = {"1.00", "lumora"};
    std::thread::id checkThread;
    UpdateServices services = service.Services();
    services.requestVersionList = [&, list = services.requestVersionList] {
        checkThread = std::this_thread::get_id();
        return list();
    };
    auto frame = MakeFrame(services);
    frame->updateTimer()->setInterval(0);  // let timer 2 fire now instead of in 20 s
    ASSERT_TRUE(WaitUntil([] { return updateState == 2; }));
    QCoreApplication::processEvents();

    EXPECT_FALSE(frame->updateTimer()->isActive());
    EXPECT_EQ(service.versionRequests(), 1);
    EXPECT_NE(checkThread, std::this_thread::get_id());
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(UpdateCommandTest, TimerUpdateAsksWithoutOwnerAndKeepsRunning) {
    service.list = {"1.01", "lumora"};
    auto frame = MakeFrame(service.Services());
    prompter.QueueAnswer(Answer::Yes);
    OnUpdateTimer(*frame);
    ASSERT_TRUE(WaitUntil([] { return updateState == 2; }));

    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].owner, nullptr);
    EXPECT_EQ(ReadWholeFile(folder.At("temp/lumora")), "content of lumora");
    EXPECT_EQ(scriptsStarted, 0);
    EXPECT_TRUE(exitCodes.empty());
}

TEST_F(UpdateCommandTest, MenuWhileTheSilentCheckRunsDoesNothing) {
    std::mutex mutex;
    std::condition_variable changed;
    bool entered = false, released = false;
    UpdateServices services;
    services.requestVersionList = [&] {
        std::unique_lock lock(mutex);
        entered = true;
        changed.notify_all();
        changed.wait(lock, [&] { return released; });
        return std::vector<std::string>{"1.01", "lumora"};
    };
    services.fetchFile = [](CURL *, std::string, std::string, std::string) { return true; };
    auto frame = MakeFrame(services);

    OnUpdateTimer(*frame);
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return entered; });
    }
    frame->RouteCommand(ID_HELP_CHECK_VERSION);
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_EQ(updateState, 1);
    {
        std::lock_guard lock(mutex);
        released = true;
    }
    changed.notify_all();
    ASSERT_TRUE(WaitUntil([] { return updateState == 2; }));
    // Only the silent check asked; its unscripted question was answered No.
    EXPECT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(scriptsStarted, 0);
}

TEST_F(UpdateCommandTest, MenuAfterTheTimerCheckRunsAgain) {
    service.list = {"1.00"};
    auto frame = MakeFrame(service.Services());
    OnUpdateTimer(*frame);
    ASSERT_TRUE(WaitUntil([] { return updateState == 2; }));
    frame->RouteCommand(ID_HELP_CHECK_VERSION);
    EXPECT_EQ(service.versionRequests(), 2);
    EXPECT_EQ(prompter.messageTexts(), std::vector<QString>{"当前已是最新版本"});
}

// The silent check counts as running until it ends, so that closing the program meanwhile ends it
// at once instead of tearing down the prompter and the rest under the check.
TEST_F(UpdateCommandTest, SilentCheckCountsAsRunningUntilItEnds) {
    std::promise<void> answer;
    std::shared_future<void> answered = answer.get_future().share();
    std::atomic<bool> asked{false};
    UpdateServices services;
    services.requestVersionList = [&asked, answered] {
        asked = true;
        answered.wait();
        return std::vector<std::string>{};
    };
    auto frame = MakeFrame(services);
    OnUpdateTimer(*frame);
    ASSERT_TRUE(WaitUntil([&] { return asked.load(); }));
    EXPECT_TRUE(TransfersRunning());
    answer.set_value();
    EXPECT_TRUE(WaitUntil([] { return !TransfersRunning(); }));
}

}  // namespace
