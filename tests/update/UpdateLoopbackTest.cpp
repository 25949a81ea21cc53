#include <gtest/gtest.h>
#include <httplib.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/ScriptedPrompter.h"
#include "support/TestFolders.h"
#include "update/HandOver.h"
#include "update/UpdateCheck.h"

namespace {

std::string XmlEscaped(const std::string &text) {
    std::string escaped;
    for (char c : text) {
        if (c == '&')
            escaped += "&amp;";
        else if (c == '<')
            escaped += "&lt;";
        else
            escaped += c;
    }
    return escaped;
}

// The picture-list service's getVer answer and the update server's files on one loopback port.
class LoopbackUpdateServer {
public:
    LoopbackUpdateServer(std::vector<std::string> versions,
                         std::map<std::string, std::string> files)
        : files_(std::move(files)) {
        std::string strings;
        for (const std::string &version : versions)
            strings += "<ns1:string>" + XmlEscaped(version) + "</ns1:string>";
        answer_ =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SOAP-ENV:Envelope "
            "xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" xmlns:ns1=\"" +
            std::string(LUMORA_SERVICE_NAMESPACE) +
            "\"><SOAP-ENV:Body><ns1:getVerResponse><ns1:out>" + strings +
            "</ns1:out></ns1:getVerResponse></SOAP-ENV:Body></SOAP-ENV:Envelope>";
        server_.Post("/services/webservice",
                     [this](const httplib::Request &, httplib::Response &r) {
                         r.set_content(answer_, "text/xml; charset=utf-8");
                     });
        server_.Get(".*", [this](const httplib::Request &request, httplib::Response &response) {
            std::lock_guard lock(mutex_);
            gets_.push_back(request.path + " " + request.get_header_value("Referer"));
            const auto file = files_.find(request.path);
            if (file == files_.end()) {
                response.status = 404;
                response.set_content("Not Found", "text/plain");
            } else if (file->second.rfind("redirect:", 0) == 0) {
                response.set_redirect(file->second.substr(9));
                response.set_content("Moved", "text/plain");
            } else {
                response.set_content(file->second, "application/octet-stream");
            }
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) std::this_thread::yield();
    }
    ~LoopbackUpdateServer() {
        server_.stop();
        thread_.join();
    }

    std::string host() const { return "127.0.0.1:" + std::to_string(port_); }
    std::vector<std::string> gets() {
        std::lock_guard lock(mutex_);
        return gets_;
    }

private:
    std::map<std::string, std::string> files_;
    std::string answer_;
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::string> gets_;
};

// Checks that talk to `host` through the real service client and transfers.
class UpdateLoopbackTest : public ::testing::Test {
protected:
    void TearDown() override {
        qunsetenv("LUMORA_SERVICE_ENDPOINT");
        qunsetenv("LUMORA_UPDATE_HOST");
    }
    // A check from the menu; whether it fetched the new version.
    bool Check(const std::string &host, bool silent = false) {
        qputenv("LUMORA_SERVICE_ENDPOINT", ("http://" + host + "/services/webservice").c_str());
        qputenv("LUMORA_UPDATE_HOST", host.c_str());
        UpdateServices services = UpdateServices::Real();
        services.selfUpdate = true;
        UpdateCheck check(prompter, services);
        if (!silent) return check.CheckNow();
        QSignalSpy ended(&check, &UpdateCheck::ended);
        check.CheckInBackground();
        return ended.wait(30000) && ended.front().front().toBool();
    }

    QString Temp() const { return QDir(folder.path()).canonicalPath() + "/temp"; }

    TestFolder folder;
    CurrentDirectoryGuard cwd{folder.path()};
    ScriptedPrompter prompter;
};

TEST_F(UpdateLoopbackTest, LatestVersionIsReportedFromTheMenuOnly) {
    LoopbackUpdateServer server({"1.00", "lumora"}, {});
    EXPECT_FALSE(Check(server.host(), true));
    EXPECT_TRUE(prompter.shown().empty());
    EXPECT_FALSE(Check(server.host()));
    EXPECT_EQ(prompter.messageTexts(), std::vector<QString>{"当前已是最新版本"});
    EXPECT_TRUE(server.gets().empty());
}

TEST_F(UpdateLoopbackTest, NewVersionIsFetchedIntoTempAndHandedToTheScript) {
    LoopbackUpdateServer server({"1.01", "move.sh", "lumora"},
                                {{"/version/1.01/move.sh", "#!/bin/sh\n"},
                                 {"/version/1.01/lumora", std::string("\x7f"
                                                                      "ELF\0\1",
                                                                      6)}});
    prompter.QueueAnswer(Answer::Yes);
    EXPECT_TRUE(Check(server.host()));

    EXPECT_EQ(prompter.messageTexts(),
              std::vector<QString>{"当前版本：1.00\n最新版本：1.01,是否更新?"});
    EXPECT_EQ(server.gets(), (std::vector<std::string>{"/version/1.01/move.sh http://update",
                                                       "/version/1.01/lumora http://update"}));
    EXPECT_EQ(ReadWholeFile(Temp() + "/move.sh"), "#!/bin/sh\n");
    EXPECT_EQ(ReadWholeFile(Temp() + "/lumora"), QByteArray("\x7f"
                                                            "ELF\0\1",
                                                            6));
    const ScriptStart script = UpdateScriptStart();
    EXPECT_EQ(script.program + u' ' + script.arguments.join(u' ') + u' ' + script.workingFolder,
              "/bin/sh move.sh / " + Temp() + u' ' + Temp());
}

TEST_F(UpdateLoopbackTest, EmptyFileArrivesAsAnEmptyFile) {
    LoopbackUpdateServer server(
        {"1.01", "move.sh", "empty.cfg"},
        {{"/version/1.01/move.sh", "#!/bin/sh\n"}, {"/version/1.01/empty.cfg", ""}});
    prompter.QueueAnswer(Answer::Yes);
    EXPECT_TRUE(Check(server.host()));

    EXPECT_EQ(prompter.messageTexts().size(), 1u);
    ASSERT_TRUE(QFile::exists(Temp() + "/empty.cfg"));
    EXPECT_EQ(QFileInfo(Temp() + "/empty.cfg").size(), 0);
}

TEST_F(UpdateLoopbackTest, OnlyAVersionStillHandsOver) {
    LoopbackUpdateServer server({"1.01"}, {});
    prompter.QueueAnswer(Answer::Yes);
    EXPECT_TRUE(Check(server.host()));
    EXPECT_TRUE(server.gets().empty());
}

struct BrokenFileCase {
    const char *name;
    std::map<std::string, std::string> files;
};

class UpdateLoopbackFailureTest : public UpdateLoopbackTest,
                                  public ::testing::WithParamInterface<BrokenFileCase> {};

void PrintTo(const BrokenFileCase &c, std::ostream *os) { *os << c.name; }

TEST_P(UpdateLoopbackFailureTest, FileThatDidNotArriveStartsNothing) {
    LoopbackUpdateServer server({"1.01", "move.sh", "lumora"}, GetParam().files);
    prompter.QueueAnswer(Answer::Yes);
    EXPECT_FALSE(Check(server.host()));

    EXPECT_EQ(prompter.messageTexts().back(), "连接服务器失败");
    EXPECT_EQ(prompter.shown().back().caption, "更新失败");
    EXPECT_FALSE(QFile::exists(Temp() + "/lumora"));
}

INSTANTIATE_TEST_SUITE_P(
    Files, UpdateLoopbackFailureTest,
    ::testing::Values(BrokenFileCase{"NotFound", {{"/version/1.01/move.sh", "#!/bin/sh\n"}}},
                      BrokenFileCase{"Redirected",
                                     {{"/version/1.01/move.sh", "#!/bin/sh\n"},
                                      {"/version/1.01/lumora", "redirect:/elsewhere"}}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(UpdateLoopbackTest, HostileFileNamesAreRefusedBeforeAnyTransfer) {
    LoopbackUpdateServer server({"1.01", "move.sh", "../escaped"},
                                {{"/version/1.01/move.sh", "#!/bin/sh\n"}});
    prompter.QueueAnswer(Answer::Yes);
    EXPECT_FALSE(Check(server.host()));
    EXPECT_EQ(prompter.messageTexts(), std::vector<QString>{"连接服务器失败"});
    EXPECT_TRUE(server.gets().empty());
    EXPECT_FALSE(QFile::exists(folder.At("escaped")));
}

TEST_F(UpdateLoopbackTest, UnreachableServiceIsAConnectionFailure) {
    std::string host;
    {
        LoopbackUpdateServer gone({}, {});
        host = gone.host();
    }
    EXPECT_FALSE(Check(host));
    EXPECT_EQ(prompter.messageTexts(), std::vector<QString>{"连接服务器失败"});
}

}  // namespace
