#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QTest>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

#include "app/MainFrame.h"
#include "platform/TransferShutdown.h"
#include "support/FakeUpdateService.h"
#include "support/ScriptedPrompter.h"
#include "support/TestFolders.h"
#include "update/UpdateCheck.h"

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

// The frame's version check: the menu's, and the silent one of the update timer.
class UpdateMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString root = folder.MakeFolder("pictures");
        folder.WriteAnsweredSettings(root);
    }

    bool Checking() const { return frame->updateCheck().state() == UpdateCheck::State::Running; }
    // The update timer's tick, on a frame made with no delay before it.
    void TimerFires() {
        ASSERT_TRUE(WaitUntil(
            [this] { return frame->updateCheck().state() != UpdateCheck::State::NotStarted; }));
    }

    // The silent check comes `updateDelay` after the start: an hour is never.
    void MakeFrame(UpdateServices services,
                   std::chrono::milliseconds updateDelay = std::chrono::hours(1)) {
        FrameEnvironment env;
        env.prompter = &prompter;
        env.updateCheckDelay = updateDelay;
        env.updateServices = std::move(services);
        env.startScript = [this](const QString &, const QStringList &, const QString &) {
            ++scriptsStarted;
            return true;
        };
        env.endProcess = [this](int code) { exitCodes.push_back(code); };
        frame = std::make_unique<MainFrame>(std::move(env));
        EXPECT_TRUE(frame->Create());
        prompter.clear();
    }

    TestFolder folder;
    CurrentDirectoryGuard cwd{folder.path()};
    ScriptedPrompter prompter;
    FakeUpdateService service;
    int scriptsStarted = 0;
    std::vector<int> exitCodes;
    std::unique_ptr<MainFrame> frame;
};

TEST_F(UpdateMenuTest, MenuBeforeTheTimerStopsTimer2) {
    service.list = {"1.00"};
    MakeFrame(service.Services(), std::chrono::milliseconds(0));
    frame->RouteCommand(Command::CheckVersion);
    QTest::qWait(50);  // long past the timer's tick
    EXPECT_EQ(service.versionRequests(), 1);
}

TEST_F(UpdateMenuTest, TimerChecksOnceSilently) {
    service.list = {"1.00", "lumora"};
    MakeFrame(service.Services(), std::chrono::milliseconds(0));
    ASSERT_TRUE(WaitUntil([this] { return service.versionRequests() == 1 && !Checking(); }));
    QTest::qWait(50);
    EXPECT_EQ(service.versionRequests(), 1) << "once";
    EXPECT_TRUE(prompter.shown().empty());
}

TEST_F(UpdateMenuTest, MenuUpdateHandsOverToTheScriptAndEnds) {
    service.list = {"1.01", "lumora"};
    MakeFrame(service.Services());
    prompter.QueueAnswer(Answer::Yes);
    frame->RouteCommand(Command::CheckVersion);
    EXPECT_EQ(scriptsStarted, 1);
    EXPECT_EQ(exitCodes, std::vector<int>{0});
}

TEST_F(UpdateMenuTest, TimerUpdateAsksWithoutOwnerAndKeepsRunning) {
    service.list = {"1.01", "lumora"};
    MakeFrame(service.Services(), std::chrono::milliseconds(0));
    prompter.QueueAnswer(Answer::Yes);
    TimerFires();
    ASSERT_TRUE(WaitUntil([this] { return !Checking(); }));

    ASSERT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(prompter.shown()[0].owner, nullptr);
    EXPECT_EQ(ReadWholeFile(folder.At("temp/lumora")), "content of lumora");
    EXPECT_EQ(scriptsStarted, 0);
    EXPECT_TRUE(exitCodes.empty());
}

TEST_F(UpdateMenuTest, MenuWhileTheSilentCheckRunsDoesNothing) {
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
    MakeFrame(services, std::chrono::milliseconds(0));

    TimerFires();
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return entered; });
    }
    frame->RouteCommand(Command::CheckVersion);
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_TRUE(Checking());
    {
        std::lock_guard lock(mutex);
        released = true;
    }
    changed.notify_all();
    ASSERT_TRUE(WaitUntil([this] { return !Checking(); }));
    // Only the silent check asked; its unscripted question was answered No.
    EXPECT_EQ(prompter.shown().size(), 1u);
    EXPECT_EQ(scriptsStarted, 0);
}

TEST_F(UpdateMenuTest, MenuAfterTheTimerCheckRunsAgain) {
    service.list = {"1.00"};
    MakeFrame(service.Services(), std::chrono::milliseconds(0));
    TimerFires();
    ASSERT_TRUE(WaitUntil([this] { return !Checking(); }));
    frame->RouteCommand(Command::CheckVersion);
    EXPECT_EQ(service.versionRequests(), 2);
    EXPECT_EQ(prompter.messageTexts(), std::vector<QString>{"当前已是最新版本"});
}

// The silent check counts as running until it ends, so that closing the program meanwhile ends it
// at once instead of tearing down the prompter and the rest under the check.
TEST_F(UpdateMenuTest, SilentCheckCountsAsRunningUntilItEnds) {
    std::promise<void> answer;
    std::shared_future<void> answered = answer.get_future().share();
    std::atomic<bool> asked{false};
    UpdateServices services;
    services.requestVersionList = [&asked, answered] {
        asked = true;
        answered.wait();
        return std::vector<std::string>{};
    };
    MakeFrame(services, std::chrono::milliseconds(0));
    TimerFires();
    ASSERT_TRUE(WaitUntil([&] { return asked.load(); }));
    EXPECT_TRUE(TransfersRunning());
    answer.set_value();
    EXPECT_TRUE(WaitUntil([] { return !TransfersRunning(); }));
}

}  // namespace
