#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <optional>

#include "support/FakeUpdateService.h"
#include "support/ScriptedPrompter.h"
#include "support/TestFolders.h"
#include "update/UpdateCheck.h"

namespace {

const QString kFailure = QStringLiteral("连接服务器失败|更新失败");
const QString kLatest = QStringLiteral("当前已是最新版本|Lumora1.00");

// A check from the menu, or a silent one in the background, waited for; whether it fetched.
bool Check(bool silent, Prompter &prompter, const UpdateServices &services) {
    UpdateCheck check(prompter, services);
    if (!silent) return check.CheckNow();
    QSignalSpy ended(&check, &UpdateCheck::ended);
    check.CheckInBackground();
    EXPECT_EQ(check.state(), UpdateCheck::State::Running);
    return ended.wait(30000) && ended.front().front().toBool();
}

QString Question(const QString &version) {
    return QStringLiteral("当前版本：1.00\n最新版本：") + version +
           QStringLiteral(",是否更新?|有新版本");
}

struct CheckCase {
    const char *name;
    std::vector<std::string> list;
    bool silent;
    std::optional<Answer> answer;  // the answer to the question, when one is expected
    std::set<std::string> missing;
    bool result;
    QStringList boxes;  // "text|caption" of every box shown, in order
    size_t transfers;
};

void PrintTo(const CheckCase &c, std::ostream *os) { *os << c.name; }

class UpdateCheckCaseTest : public ::testing::TestWithParam<CheckCase> {
protected:
    TestFolder folder;
    CurrentDirectoryGuard cwd{folder.path()};
    ScriptedPrompter prompter;
    FakeUpdateService service;
};

TEST_P(UpdateCheckCaseTest, ShowsTheBoxesAndFetchesAsExpected) {
    const CheckCase &c = GetParam();
    service.list = c.list;
    service.missing = c.missing;
    if (c.answer) prompter.QueueAnswer(*c.answer);

    EXPECT_EQ(Check(c.silent, prompter, service.Services()), c.result);

    QStringList boxes;
    for (const auto &shown : prompter.shown()) {
        boxes << shown.text + u'|' + shown.caption;
        EXPECT_EQ(shown.owner, nullptr);
        EXPECT_FALSE(shown.unscripted);
    }
    EXPECT_EQ(boxes, c.boxes);
    EXPECT_EQ(service.transfers().size(), c.transfers);
}

INSTANTIATE_TEST_SUITE_P(
    Checks, UpdateCheckCaseTest,
    ::testing::Values(
        CheckCase{"NoListFromMenu", {}, false, {}, {}, false, {kFailure}, 0},
        CheckCase{"NoListFromTimer", {}, true, {}, {}, false, {}, 0},
        CheckCase{"SameVersionFromMenu", {"1.00", "lumora"}, false, {}, {}, false, {kLatest}, 0},
        CheckCase{"SameVersionFromTimer", {"1.00", "lumora"}, true, {}, {}, false, {}, 0},
        CheckCase{"ThreeCharacters", {"1.1", "lumora"}, false, {}, {}, false, {kLatest}, 0},
        CheckCase{"FiveCharacters", {"1.001", "lumora"}, false, {}, {}, false, {kLatest}, 0},
        CheckCase{"OlderVersion", {"0.99"}, false, {}, {}, false, {kLatest}, 0},
        CheckCase{"NewerAnsweredNo",
                  {"1.01", "lumora"},
                  false,
                  Answer::No,
                  {},
                  false,
                  {Question("1.01")},
                  0},
        CheckCase{"NewerAnsweredYes",
                  {"1.01", "move.sh", "lumora"},
                  false,
                  Answer::Yes,
                  {},
                  true,
                  {Question("1.01")},
                  2},
        CheckCase{"TimerStillAsks",
                  {"1.10", "lumora"},
                  true,
                  Answer::Yes,
                  {},
                  true,
                  {Question("1.10")},
                  1},
        CheckCase{"OnlyAVersion", {"2.00"}, false, Answer::Yes, {}, true, {Question("2.00")}, 0},
        CheckCase{"ParentFolderName",
                  {"1.01", "move.sh", "../lumora"},
                  false,
                  {},
                  {},
                  false,
                  {kFailure},
                  0},
        CheckCase{"AbsoluteName", {"1.01", "/tmp/lumora"}, false, {}, {}, false, {kFailure}, 0},
        CheckCase{"DotDotName", {"1.01", ".."}, false, {}, {}, false, {kFailure}, 0},
        CheckCase{"EmptyName", {"1.01", ""}, false, {}, {}, false, {kFailure}, 0},
        CheckCase{"HostileNameFromTimer", {"1.01", "a/b"}, true, {}, {}, false, {}, 0},
        CheckCase{"FailedTransferFromMenu",
                  {"1.01", "move.sh", "lumora", "help.html"},
                  false,
                  Answer::Yes,
                  {"lumora"},
                  false,
                  {Question("1.01"), kFailure},
                  2},
        CheckCase{"FailedTransferFromTimer",
                  {"1.01", "move.sh"},
                  true,
                  Answer::Yes,
                  {"move.sh"},
                  false,
                  {Question("1.01")},
                  1}),
    [](const auto &info) { return std::string(info.param.name); });

class UpdateCheckTest : public UpdateCheckCaseTest {};

TEST_F(UpdateCheckTest, BoxesHaveTheirButtonsAndIcons) {
    service.list = {"1.00"};
    Check(false, prompter, service.Services());
    service.list = {};
    Check(false, prompter, service.Services());
    service.list = {"1.01"};
    Check(false, prompter, service.Services());

    const auto shown = prompter.shown();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].text, "当前已是最新版本");
    EXPECT_EQ(shown[0].icon, Icon::Information);
    EXPECT_EQ(shown[0].buttons, Buttons::Ok);
    EXPECT_EQ(shown[1].text, "连接服务器失败");
    EXPECT_EQ(shown[1].buttons, Buttons::Ok);
    EXPECT_EQ(shown[2].text, "当前版本：1.00\n最新版本：1.01,是否更新?");
    EXPECT_EQ(shown[2].caption, "有新版本");
    EXPECT_EQ(shown[2].icon, Icon::Question);
    EXPECT_EQ(shown[2].buttons, Buttons::YesNo);
}

// The installed program announces a newer version and points to the package manager, from the
// menu and from the timer alike; it fetches nothing and hands nothing over.
TEST_F(UpdateCheckTest, InstalledProgramOnlyAnnouncesANewerVersion) {
    const struct {
        std::vector<std::string> list;
        bool silent;
        QStringList boxes;
    } checks[] = {
        {{"1.01", "move.sh"},
         false,
         {"当前版本：1.00\n最新版本：1.01,请通过软件包管理器更新|有新版本"}},
        {{"1.10", "move.sh"},
         true,
         {"当前版本：1.00\n最新版本：1.10,请通过软件包管理器更新|有新版本"}},
        {{"1.00", "move.sh"}, false, {kLatest}},
        {{}, false, {kFailure}},
    };
    for (const auto &check : checks) {
        ScriptedPrompter boxes;
        service.list = check.list;
        UpdateServices installed = service.Services();
        installed.selfUpdate = false;
        EXPECT_FALSE(Check(check.silent, boxes, installed));
        QStringList shown;
        for (const auto &box : boxes.shown()) {
            shown << box.text + u'|' + box.caption;
            EXPECT_EQ(box.buttons, Buttons::Ok);
        }
        EXPECT_EQ(shown, check.boxes);
    }
    EXPECT_TRUE(service.transfers().empty());
    EXPECT_FALSE(QDir(folder.path()).exists(QStringLiteral("temp")));
}

TEST_F(UpdateCheckTest, FetchesEachFileFromTheVersionFolderIntoTemp) {
    service.list = {"1.01", "move.sh", "lumora"};
    prompter.QueueAnswer(Answer::Yes);
    ASSERT_TRUE(Check(false, prompter, service.Services("updates.test:81")));

    const auto transfers = service.transfers();
    ASSERT_EQ(transfers.size(), 2u);
    EXPECT_EQ(transfers[0].remoteAddress, "updates.test:81/version/1.01/move.sh");
    EXPECT_EQ(transfers[0].referrer, "update");
    EXPECT_EQ(transfers[0].localPath, "temp/move.sh");
    EXPECT_EQ(transfers[1].remoteAddress, "updates.test:81/version/1.01/lumora");
    EXPECT_EQ(transfers[1].localPath, "temp/lumora");
    EXPECT_EQ(ReadWholeFile(folder.At("temp/lumora")), "content of lumora");
}

TEST_F(UpdateCheckTest, EncodesNamesThatWouldChangeTheAddress) {
    const DownloadTask task = UpdateTransfer("h:1", "1.0#", "a b?.txt");
    EXPECT_EQ(task.remoteAddress, "h:1/version/1.0%23/a%20b%3F.txt");
    EXPECT_EQ(task.localPath, "temp/a b?.txt");
    // A name that is no UTF-8 is asked for byte by byte, not as replacement characters.
    EXPECT_EQ(UpdateTransfer("h:1", "1.01", "\xA2x%").remoteAddress, "h:1/version/1.01/%A2x%25");
}

TEST_F(UpdateCheckTest, StopsAtTheFirstFileThatDidNotArrive) {
    service.list = {"1.01", "a", "b", "c"};
    service.missing = {"b"};
    prompter.QueueAnswer(Answer::Yes);
    EXPECT_FALSE(Check(true, prompter, service.Services()));
    EXPECT_EQ(service.transfers().size(), 2u);
}

TEST_F(UpdateCheckTest, TempThatIsAFileFailsWithoutTransfers) {
    folder.WriteFile("temp", "not a folder");
    service.list = {"1.01", "lumora"};
    prompter.QueueAnswer(Answer::Yes);
    EXPECT_FALSE(Check(false, prompter, service.Services()));
    EXPECT_TRUE(service.transfers().empty());
    EXPECT_EQ(prompter.messageTexts().back(), "连接服务器失败");
}

TEST_F(UpdateCheckTest, MissingServicesCountAsFailures) {
    EXPECT_FALSE(Check(false, prompter, UpdateServices()));
    UpdateServices listOnly;
    listOnly.requestVersionList = [] { return std::vector<std::string>{"1.01", "lumora"}; };
    prompter.QueueAnswer(Answer::Yes);
    EXPECT_FALSE(Check(false, prompter, listOnly));
    EXPECT_EQ(prompter.messageTexts(),
              std::vector<QString>({"连接服务器失败", "当前版本：1.00\n最新版本：1.01,是否更新?",
                                    "连接服务器失败"}));
}

// The silent check's calls run on a thread of its own; its questions are asked on this one.
TEST_F(UpdateCheckTest, SilentCheckCallsAwayAndAsksHere) {
    std::vector<bool> onThisThread;
    const std::thread::id here = std::this_thread::get_id();
    UpdateServices services;
    services.requestVersionList = [&] {
        onThisThread.push_back(std::this_thread::get_id() == here);
        return std::vector<std::string>{"1.01", "lumora"};
    };
    services.fetchFile = [&](CURL *, std::string, std::string, std::string) {
        onThisThread.push_back(std::this_thread::get_id() == here);
        return true;
    };
    prompter.DuringNextMessage([&] { onThisThread.push_back(std::this_thread::get_id() == here); });
    prompter.QueueAnswer(Answer::Yes);
    EXPECT_TRUE(Check(true, prompter, services));
    EXPECT_EQ(onThisThread, (std::vector<bool>{false, true, false}));
}

}  // namespace
