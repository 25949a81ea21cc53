#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ListScrambler.h"
#include "service/LinkDescrambling.h"
#include "service/PictureList.h"
#include "service/PictureListService.h"

namespace {

using namespace std::chrono_literals;

const std::string kNamespace = LUMORA_SERVICE_NAMESPACE;

std::string Envelope(const std::string &body, const std::string &header = "") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
           "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" xmlns:ns1=\"" +
           kNamespace + "\">" + header + "<SOAP-ENV:Body>" + body +
           "</SOAP-ENV:Body></SOAP-ENV:Envelope>";
}

std::string DeleteResponse(const std::string &out) {
    return Envelope("<ns1:deleteResponse>" + out + "</ns1:deleteResponse>");
}

// Escapes list text as character data; control bytes go as character references.
std::string Escaped(const std::string &text) {
    std::string escaped;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '&')
            escaped += "&amp;";
        else if (c == '<')
            escaped += "&lt;";
        else if (c == '>')
            escaped += "&gt;";
        else if (byte < 0x20)
            escaped += "&#" + std::to_string(byte) + ";";
        else
            escaped += c;
    }
    return escaped;
}

struct RecordedRequest {
    std::string method, path, contentType, soapAction, userAgent, contentLength, connection, body;
};

// Loopback SOAP endpoint answering every POST with one canned response.
class LoopbackService {
public:
    LoopbackService(int status, std::string body) : status_(status), body_(std::move(body)) {
        server_.Post(".*", [this](const httplib::Request &request, httplib::Response &response) {
            {
                std::lock_guard lock(mutex_);
                requests_.push_back(
                    {request.method, request.path, request.get_header_value("Content-Type"),
                     request.get_header_value("SOAPAction"), request.get_header_value("User-Agent"),
                     request.get_header_value("Content-Length"),
                     request.get_header_value("Connection"), request.body});
            }
            response.status = status_;
            response.set_content(body_, "text/xml; charset=utf-8");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }
    ~LoopbackService() {
        server_.stop();
        thread_.join();
    }

    ServiceOptions Options() const {
        ServiceOptions options;
        options.endpoint = "http://127.0.0.1:" + std::to_string(port_) + "/services/webservice";
        options.connectTimeout = 5s;
        return options;
    }
    std::vector<RecordedRequest> requests() {
        std::lock_guard lock(mutex_);
        return requests_;
    }

private:
    int status_;
    std::string body_;
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::vector<RecordedRequest> requests_;
};

// A bound loopback socket: listening (connections queue, nobody answers) or not (refused).
class SilentSocket {
public:
    explicit SilentSocket(bool listening) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(bind(fd_, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        if (listening) {
            EXPECT_EQ(listen(fd_, 4), 0);
        }
        socklen_t length = sizeof address;
        getsockname(fd_, reinterpret_cast<sockaddr *>(&address), &length);
        port_ = ntohs(address.sin_port);
    }
    ~SilentSocket() { close(fd_); }
    int fd() const { return fd_; }

    ServiceOptions Options(std::chrono::milliseconds timeout) const {
        ServiceOptions options;
        options.endpoint = "http://127.0.0.1:" + std::to_string(port_) + "/services/webservice";
        options.connectTimeout = options.silenceLimit = timeout;
        return options;
    }

private:
    int fd_;
    int port_ = 0;
};

struct RequestCase {
    const char *name;
    bool pictureList;
    const char *element;
};

class ServiceRequestTest : public testing::TestWithParam<RequestCase> {};

TEST_P(ServiceRequestTest, PostsOneEmptyDocumentLiteralElement) {
    LoopbackService service(200, DeleteResponse(""));
    if (GetParam().pictureList) {
        RequestPictureList(service.Options());
    } else {
        RequestVersionList(service.Options());
    }
    const std::vector<RecordedRequest> requests = service.requests();
    ASSERT_EQ(requests.size(), 1u);
    const RecordedRequest &request = requests[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, "/services/webservice");
    EXPECT_EQ(request.contentType, "text/xml; charset=utf-8");
    EXPECT_EQ(request.soapAction, "\"\"");
    EXPECT_EQ(request.userAgent, "gSOAP/2.8");
    EXPECT_EQ(request.contentLength, std::to_string(request.body.size()));
    EXPECT_EQ(request.connection, "close");
    const std::string declarations =
        "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\" "
        "xmlns:SOAP-ENC=\"http://schemas.xmlsoap.org/soap/encoding/\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
        "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
        "xmlns:ns2=\"http://www.w3.org/2001/XMLSchema\" "
        "xmlns:ns1=\"" +
        kNamespace + "\">";
    EXPECT_NE(request.body.find(declarations), std::string::npos) << request.body;
    const std::string element = GetParam().element;
    EXPECT_NE(request.body.find("<SOAP-ENV:Body><ns1:" + element + "></ns1:" + element +
                                "></SOAP-ENV:Body>"),
              std::string::npos)
        << request.body;
    EXPECT_EQ(request.body.find("Header"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Operations, ServiceRequestTest,
                         testing::Values(RequestCase{"Delete", true, "delete"},
                                         RequestCase{"GetVer", false, "getVer"}),
                         [](const auto &info) { return std::string(info.param.name); });

const std::string kListText =
    "<xsd:anyType><ns1:string>a&b</ns1:string><ns1:string>湖</ns1:string>"
    "<ns1:string>c0</ns1:string></xsd:anyType>";

TEST(RequestPictureList, NestedMarkupAndEscapedTextGiveTheSameText) {
    LoopbackService nested(
        200, DeleteResponse("<ns1:out><xsd:anyType><ns1:string>a&amp;b</ns1:string>"
                            "<ns1:string>&#x6E56;</ns1:string><ns1:string>c0</ns1:string>"
                            "</xsd:anyType></ns1:out>"));
    LoopbackService escaped(200, DeleteResponse("<ns1:out>" + Escaped(kListText) + "</ns1:out>"));
    EXPECT_EQ(RequestPictureList(nested.Options()), kListText);
    EXPECT_EQ(RequestPictureList(escaped.Options()), kListText);
}

TEST(RequestPictureList, CarriesEveryAsciiByteAndUtf8Text) {
    std::string list = "湖光山色";
    for (int byte = 1; byte < 128; ++byte) list += static_cast<char>(byte);
    LoopbackService service(200, DeleteResponse("<ns1:out>" + Escaped(list) + "</ns1:out>"));
    EXPECT_EQ(RequestPictureList(service.Options()), list);
}

TEST(RequestPictureList, EmptyOutIsAnEmptyList) {
    LoopbackService service(200, DeleteResponse("<ns1:out></ns1:out>"));
    EXPECT_EQ(RequestPictureList(service.Options()), "");
}

TEST(RequestPictureList, IgnoresAResponseHeader) {
    LoopbackService service(
        200, Envelope("<ns1:deleteResponse><ns1:out>x</ns1:out></ns1:deleteResponse>",
                      "<SOAP-ENV:Header><ns1:session>1</ns1:session></SOAP-ENV:Header>"));
    EXPECT_EQ(RequestPictureList(service.Options()), "x");
}

struct FailureCase {
    const char *name;
    int status;
    std::string body;
    CallOutcome outcome = CallOutcome::Failed;
};

class ServiceFailureTest : public testing::TestWithParam<FailureCase> {};

TEST_P(ServiceFailureTest, GivesNoListAndNoVersions) {
    LoopbackService service(GetParam().status, GetParam().body);
    CallOutcome outcome = CallOutcome::Answered;
    EXPECT_EQ(RequestPictureList(service.Options(), &outcome), std::nullopt);
    EXPECT_EQ(outcome, GetParam().outcome);
    EXPECT_TRUE(RequestVersionList(service.Options()).empty());
    DownloadBatch batch(2);
    EXPECT_FALSE(RequestDownloadTasks("/pictures/2010-05-03", batch, service.Options()));
    EXPECT_TRUE(batch.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ServiceFailureTest,
    testing::Values(
        FailureCase{"NoOut", 200,
                    Envelope("<ns1:deleteResponse></ns1:deleteResponse>"
                             "<ns1:getVerResponse></ns1:getVerResponse>")},
        FailureCase{"Soap11Fault", 500,
                    Envelope("<SOAP-ENV:Fault><faultcode>SOAP-ENV:Server</faultcode>"
                             "<faultstring>down</faultstring><detail>x</detail>"
                             "</SOAP-ENV:Fault>"),
                    CallOutcome::MayPassLater},
        FailureCase{"Soap12Fault", 200,
                    "<?xml version=\"1.0\"?><env:Envelope "
                    "xmlns:env=\"http://www.w3.org/2003/05/soap-envelope\"><env:Body><env:Fault>"
                    "<env:Code><env:Value>env:Receiver</env:Value></env:Code><env:Reason>"
                    "<env:Text xml:lang=\"en\">down</env:Text></env:Reason></env:Fault>"
                    "</env:Body></env:Envelope>"},
        FailureCase{"Http500", 500, "Internal Server Error", CallOutcome::MayPassLater},
        FailureCase{"Http429", 429, "Too Many Requests", CallOutcome::MayPassLater},
        FailureCase{"Http404", 404, "Not Found"}, FailureCase{"NotXml", 200, "this is not XML"},
        FailureCase{"Truncated", 200,
                    Envelope("").substr(0, Envelope("").find("</SOAP-ENV:Body>")) +
                        "<ns1:deleteResponse><ns1:out>abc</ns1:out>"},
        FailureCase{"OtherElement", 200, Envelope("<ns1:somethingElse>x</ns1:somethingElse>")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ServiceFailure, AnswerSentWithAnErrorStatusGivesNothing) {
    LoopbackService list(500, DeleteResponse("<ns1:out>x</ns1:out>"));
    EXPECT_EQ(RequestPictureList(list.Options()), std::nullopt);
    LoopbackService versions(
        500, Envelope("<ns1:getVerResponse><ns1:out><ns1:string>1.01</ns1:string></ns1:out>"
                      "</ns1:getVerResponse>"));
    EXPECT_TRUE(RequestVersionList(versions.Options()).empty());
}

TEST(ServiceFailure, RefusedPortGivesNothing) {
    SilentSocket closed(false);
    CallOutcome outcome = CallOutcome::Answered;
    std::string reason;
    EXPECT_EQ(RequestPictureList(closed.Options(5s), &outcome, &reason), std::nullopt);
    EXPECT_EQ(outcome, CallOutcome::MayPassLater);
    EXPECT_EQ(reason, "连接被拒绝");
    EXPECT_TRUE(RequestVersionList(closed.Options(5s)).empty());
}

TEST(ServiceFailure, SilentServerFailsOnceItHasSentNothingForTheLimit) {
    SilentSocket silent(true);
    CallOutcome outcome = CallOutcome::Answered;
    std::string reason;
    EXPECT_EQ(RequestPictureList(silent.Options(300ms), &outcome, &reason), std::nullopt);
    EXPECT_EQ(outcome, CallOutcome::MayPassLater);
    EXPECT_EQ(reason, "服务器没有回答");
    EXPECT_TRUE(RequestVersionList(silent.Options(300ms)).empty());
}

// Sends its answer in small pieces, a pause apart.
class TricklingService {
public:
    explicit TricklingService(std::string answer) : answer_(std::move(answer)) {
        server_.Post(".*", [this](const httplib::Request &, httplib::Response &response) {
            response.set_content_provider(
                answer_.size(), "text/xml; charset=utf-8",
                [this](std::size_t offset, std::size_t length, httplib::DataSink &sink) {
                    if (stopping_) return false;
                    std::this_thread::sleep_for(kPause);
                    const std::size_t piece = std::min<std::size_t>(length, kPieceBytes);
                    return sink.write(answer_.data() + offset, piece);
                });
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }
    ~TricklingService() {
        stopping_ = true;
        server_.stop();
        thread_.join();
    }
    ServiceOptions Options() const {
        ServiceOptions options;
        options.endpoint = "http://127.0.0.1:" + std::to_string(port_) + "/services/webservice";
        // The whole answer takes over twice the limit; each pause is a tenth of it.
        options.connectTimeout = options.silenceLimit = 10 * kPause;
        return options;
    }
    static constexpr auto kPause = 100ms;
    static constexpr std::size_t kPieceBytes = 12;
    std::size_t size() const { return answer_.size(); }

private:
    std::string answer_;
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
};

// An answer that keeps coming, however slowly, is read to its end: a cut one would not parse.
TEST(ServiceAnswer, ASlowButMovingAnswerIsNotCut) {
    TricklingService service(
        Envelope("<ns1:getVerResponse><ns1:out><ns1:string>1.01</ns1:string></ns1:out>"
                 "</ns1:getVerResponse>"));
    ASSERT_GT(service.size() / TricklingService::kPieceBytes, 20u);
    EXPECT_EQ(RequestVersionList(service.Options()), std::vector<std::string>{"1.01"});
}

// Raw bytes that are no UTF-8 reach the "?" rule as they are, not read as Latin-1 first.
TEST(ServiceAnswer, StrayBytesOnTheWireBecomeQuestionMarks) {
    LoopbackService versions(
        200, Envelope("<ns1:getVerResponse><ns1:out><ns1:string>1.0\xFF</ns1:string>"
                      "<ns1:string>a\xE6\x96x</ns1:string><ns1:string>新</ns1:string>"
                      "</ns1:out></ns1:getVerResponse>"));
    EXPECT_EQ(RequestVersionList(versions.Options()),
              (std::vector<std::string>{"1.0?", "a?x", "新"}));

    const std::string list = ScrambledList({{"r\\h.example/p", "bad\xFFtitle", "a0"}}, DayKey());
    LoopbackService pictures(200, DeleteResponse("<ns1:out>" + Escaped(list) + "</ns1:out>"));
    DownloadBatch batch;
    ASSERT_TRUE(RequestDownloadTasks("/pictures/2010-05-03", batch, pictures.Options()));
    ASSERT_EQ(batch.size(), 1u);
    EXPECT_EQ(batch[0].localPath, "/pictures/2010-05-03/bad?title/bad?title 1.jpg");
}

std::string Chunked(const std::vector<std::string> &chunks) {
    std::string body;
    char size[32];
    for (const std::string &chunk : chunks) {
        std::snprintf(size, sizeof size, "%zx\r\n", chunk.size());
        body += size + chunk + "\r\n";
    }
    return body + "0\r\n\r\n";
}

const std::string kVersions = Envelope(
    "<ns1:getVerResponse><ns1:out><ns1:string>1.0\xFF</ns1:string><ns1:string>新</ns1:string>"
    "</ns1:out></ns1:getVerResponse>");

struct FramingCase {
    const char *name;
    std::string answer;  // the whole HTTP response
    std::vector<std::string> versions;
};

void PrintTo(const FramingCase &c, std::ostream *os) { *os << c.name; }

// Answers one connection with `answer` as it stands, whatever was asked, then closes it.
class RawAnswerServer {
public:
    explicit RawAnswerServer(std::string answer) : socket_(true), answer_(std::move(answer)) {
        thread_ = std::thread([this] {
            const int connection = accept(socket_.fd(), nullptr, nullptr);
            if (connection < 0) return;
            char request[4096];
            std::string seen;
            while (seen.find("</SOAP-ENV:Envelope>") == std::string::npos) {
                const ssize_t got = recv(connection, request, sizeof request, 0);
                if (got <= 0) break;
                seen.append(request, static_cast<std::size_t>(got));
            }
            send(connection, answer_.data(), answer_.size(), MSG_NOSIGNAL);
            close(connection);
        });
    }
    ~RawAnswerServer() { thread_.join(); }
    ServiceOptions Options() const { return socket_.Options(5s); }

private:
    SilentSocket socket_;
    std::string answer_;
    std::thread thread_;
};

class AnswerFramingTest : public testing::TestWithParam<FramingCase> {};

// However the body is framed on the wire, its bytes meet the "?" rule once, in order, and a body
// that ends early gives nothing.
TEST_P(AnswerFramingTest, GivesTheVersionsOfTheBody) {
    RawAnswerServer server(GetParam().answer);
    EXPECT_EQ(RequestVersionList(server.Options()), GetParam().versions);
}

const std::string kChunkedHead =
    "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nTransfer-Encoding: chunked\r\n\r\n";
const std::size_t kCharacter = kVersions.find("新");

INSTANTIATE_TEST_SUITE_P(
    Bodies, AnswerFramingTest,
    testing::Values(
        FramingCase{"ContentLength",
                    "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kVersions.size()) +
                        "\r\n\r\n" + kVersions,
                    {"1.0?", "新"}},
        FramingCase{"UntilClose", "HTTP/1.0 200 OK\r\n\r\n" + kVersions, {"1.0?", "新"}},
        FramingCase{"OneChunk", kChunkedHead + Chunked({kVersions}), {"1.0?", "新"}},
        FramingCase{"CharacterCutBetweenChunks",
                    kChunkedHead + Chunked({kVersions.substr(0, kCharacter + 1),
                                            kVersions.substr(kCharacter + 1)}),
                    {"1.0?", "新"}},
        FramingCase{"ManySmallChunks",
                    kChunkedHead + Chunked([] {
                        std::vector<std::string> chunks;
                        for (std::size_t at = 0; at < kVersions.size(); at += 7)
                            chunks.push_back(kVersions.substr(at, 7));
                        return chunks;
                    }()),
                    {"1.0?", "新"}},
        FramingCase{"LastChunkMissing",
                    kChunkedHead + Chunked({kVersions.substr(0, 100)}).substr(0, 105),
                    {}},
        FramingCase{"AfterAnInterimAnswer",
                    "HTTP/1.1 100 Continue\r\n\r\n" + kChunkedHead + Chunked({kVersions}),
                    {"1.0?", "新"}},
        FramingCase{"LengthBesideChunks",
                    "HTTP/1.1 200 OK\r\nContent-Length: 7\r\nTransfer-Encoding: Chunked\r\n\r\n" +
                        Chunked({kVersions.substr(0, 50), kVersions.substr(50)}),
                    {"1.0?", "新"}},
        FramingCase{"BadChunkSize", kChunkedHead + "zz\r\n" + kVersions, {}},
        FramingCase{"ChunkedAfterAnOddStatusLine",
                    "HT\xD2TP/1.1 100 Continue\r\n\r\n" + kChunkedHead + Chunked({kVersions}),
                    {}},
        FramingCase{"ErrorStatus",
                    "HTTP/1.1 503 Busy\r\nContent-Length: " + std::to_string(kVersions.size()) +
                        "\r\n\r\n" + kVersions,
                    {}},
        FramingCase{"NoHttp", kVersions, {}}, FramingCase{"Nothing", "", {}}),
    [](const auto &info) { return std::string(info.param.name); });

// Multi-reference ids and hrefs are no part of the service's answers: read as a plain tree.
TEST(ServiceAnswer, IdsAndHrefsAreReadAsPlainAttributes) {
    const std::string body = Envelope(
        "<ns1:getVerResponse><ns1:out><ns1:string id=\"v\">1.01</ns1:string>"
        "<ns1:string href=\"#v\"/><ns1:string id=\"v\">x</ns1:string></ns1:out>"
        "</ns1:getVerResponse>");
    EXPECT_EQ(ReadVersionListAnswer(body), (std::vector<std::string>{"1.01", "", "x"}));
}

// A service that sends its answer in chunks, as servers do when they stream it.
TEST(ServiceAnswer, ChunkedAnswerOverTheWire) {
    httplib::Server server;
    server.Post(".*", [](const httplib::Request &, httplib::Response &response) {
        response.set_chunked_content_provider(
            "text/xml; charset=utf-8", [](std::size_t, httplib::DataSink &sink) {
                for (std::size_t at = 0; at < kVersions.size(); at += 5)
                    sink.write(kVersions.data() + at,
                               std::min<std::size_t>(5, kVersions.size() - at));
                sink.done();
                return true;
            });
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread thread([&] { server.listen_after_bind(); });
    ServiceOptions options;
    options.endpoint = "http://127.0.0.1:" + std::to_string(port) + "/services/webservice";
    const std::vector<std::string> versions = RequestVersionList(options);
    server.stop();
    thread.join();
    EXPECT_EQ(versions, (std::vector<std::string>{"1.0?", "新"}));
}

TEST(RequestVersionList, GivesTheStringsInOrder) {
    LoopbackService service(
        200, Envelope("<ns1:getVerResponse><ns1:out><ns1:string>1.01</ns1:string>"
                      "<ns1:string>新版本</ns1:string><ns1:string>a&amp;b</ns1:string>"
                      "</ns1:out></ns1:getVerResponse>"));
    EXPECT_EQ(RequestVersionList(service.Options()),
              (std::vector<std::string>{"1.01", "新版本", "a&b"}));
}

TEST(RequestVersionList, EmptyOutIsAnEmptyList) {
    LoopbackService service(
        200, Envelope("<ns1:getVerResponse><ns1:out></ns1:out></ns1:getVerResponse>"));
    EXPECT_TRUE(RequestVersionList(service.Options()).empty());
}

TEST(RequestDownloadTasks, TurnsTheServiceListIntoTasks) {
    const std::string list = ScrambledList(
        {{"ref.example.com\\img.example.com/p", "湖", "a0"}, {"", "", "b1"}}, DayKey());
    LoopbackService service(200, DeleteResponse("<ns1:out>" + Escaped(list) + "</ns1:out>"));
    DownloadBatch batch(3);
    ASSERT_TRUE(RequestDownloadTasks("/pictures/2010-05-03", batch, service.Options()));
    ASSERT_EQ(batch.size(), 2u);
    // Addresses depend on the day key, which may change between scrambling and parsing.
    EXPECT_EQ(batch[0].localPath, "/pictures/2010-05-03/湖/湖 1.jpg");
    EXPECT_EQ(batch[1].localPath, "/pictures/2010-05-03/湖/湖 2.jpg");
}

TEST(RequestDownloadTasks, ListWithoutEntriesIsStillAnAnswer) {
    LoopbackService service(200, DeleteResponse("<ns1:out>nothing today</ns1:out>"));
    DownloadBatch batch(3);
    EXPECT_TRUE(RequestDownloadTasks("/pictures/2010-05-03", batch, service.Options()));
    EXPECT_TRUE(batch.empty());
}

struct Utf8Case {
    const char *name;
    std::string in, out;
};

class Utf8ToSystemCodePageTest : public testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8ToSystemCodePageTest, KeepsValidTextAndMarksEachBrokenSequence) {
    EXPECT_EQ(Utf8ToSystemCodePage(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Utf8ToSystemCodePageTest,
    testing::Values(Utf8Case{"Empty", "", ""}, Utf8Case{"Ascii", "v1.00 ok", "v1.00 ok"},
                    Utf8Case{"Chinese", "新版本", "新版本"},
                    Utf8Case{"FourBytes", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
                    Utf8Case{"StrayByte",
                             "a\xFF"
                             "b",
                             "a?b"},
                    Utf8Case{"Latin1", "caf\xE9", "caf?"},
                    Utf8Case{"CutSequence",
                             "\xE6\x96"
                             "x",
                             "?x"},
                    Utf8Case{"CutAtEnd", "x\xE6\x96", "x?"}, Utf8Case{"Overlong", "\xC0\xAF", "??"},
                    Utf8Case{"OverlongThreeBytes", "\xE0\x80\xAF", "???"},
                    Utf8Case{"Surrogate", "\xED\xA0\x80", "???"},
                    Utf8Case{"BeyondUnicode", "\xF4\x90\x80\x80", "????"},
                    Utf8Case{"LoneContinuation",
                             "\x80"
                             "a",
                             "?a"},
                    Utf8Case{"EndsAtNul", std::string("ab\0cd", 5), "ab"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ServiceEndpoint, EnvironmentOverridesTheDefault) {
    setenv("LUMORA_SERVICE_ENDPOINT", "http://127.0.0.1:1/services/webservice", 1);
    EXPECT_EQ(ServiceEndpoint(), "http://127.0.0.1:1/services/webservice");
    setenv("LUMORA_SERVICE_ENDPOINT", "", 1);
    EXPECT_EQ(ServiceEndpoint(), LUMORA_DEFAULT_SERVICE_ENDPOINT);
    unsetenv("LUMORA_SERVICE_ENDPOINT");
    EXPECT_EQ(ServiceEndpoint(), LUMORA_DEFAULT_SERVICE_ENDPOINT);
}

}  // namespace
