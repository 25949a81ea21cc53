#include "service/PictureListService.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/Utf8.h"
#include "service/CurlHandle.h"
#include "service/TransferFailure.h"
#include "soapwebserviceHttpBindingProxy.h"
#include "webserviceHttpBinding.nsmap"  // the runtime's global namespace table

namespace {

// The head the runtime has always sent; libcurl sends it now, in the same order after Host.
constexpr char kUserAgent[] = "User-Agent: gSOAP/2.8";
constexpr char kContentType[] = "Content-Type: text/xml; charset=utf-8";
constexpr char kSoapAction[] = "SOAPAction: \"\"";
// No list comes near this; a service that sends more is not answering.
constexpr std::size_t kMaxAnswerBytes = std::size_t{64} << 20;

// gSOAP writes the requests and reads the answers; the HTTP exchange is libcurl's. One proxy per
// call: UTF-8 strings pass unchanged, no header, and answers are read as plain trees (the service
// sends no multi-reference id and href, and the runtime's handling of them copies overlapping
// strings).
class SoapMessages {
public:
    SoapMessages() : proxy_(SOAP_C_UTFSTRING | SOAP_XML_TREE) {
        proxy_.user = this;
        proxy_.omode |= SOAP_ENC_PLAIN;  // the runtime writes the body only
        proxy_.fconnect = [](struct soap *, const char *, const char *, int) { return SOAP_OK; };
        proxy_.fsend = &KeepSent;
        proxy_.frecv = &ReadAnswer;
    }
    ~SoapMessages() { proxy_.destroy(); }
    SoapMessages(const SoapMessages &) = delete;
    SoapMessages &operator=(const SoapMessages &) = delete;

    std::string DeleteRequest(const std::string &endpoint) {
        _ns1__delete request;
        return Sent(proxy_.send_delete_(endpoint.c_str(), "", &request));
    }
    std::string GetVerRequest(const std::string &endpoint) {
        _ns1__getVer request;
        return Sent(proxy_.send_getVer(endpoint.c_str(), "", &request));
    }

    // A call that fails after `out` was read (a cut or malformed answer) gives no list either.
    std::optional<std::string> PictureList(std::string_view body) {
        Answer(body);
        _ns1__deleteResponse response;
        if (proxy_.recv_delete_(response) != SOAP_OK || response.out == nullptr)
            return std::nullopt;
        return std::string(response.out);
    }
    std::vector<std::string> Versions(std::string_view body) {
        Answer(body);
        std::vector<std::string> versions;
        _ns1__getVerResponse response;
        if (proxy_.recv_getVer(response) != SOAP_OK || response.out == nullptr) return versions;
        for (const char *text : response.out->string)
            versions.push_back(text == nullptr ? std::string() : Utf8ToSystemCodePage(text));
        return versions;
    }

private:
    std::string Sent(int result) { return result == SOAP_OK ? std::move(sent_) : std::string(); }

    // The runtime reads the body behind a head of its own making; the "?" rule applies to the
    // body's bytes once, before the runtime sees them (it would read a stray byte as Latin-1).
    void Answer(std::string_view body) {
        std::string clean;
        AppendCleanUtf8(body, clean);
        answer_ = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(clean.size()) +
                  "\r\n\r\n" + clean;
        unread_ = answer_;
    }

    static int KeepSent(struct soap *soap, const char *data, size_t length) {
        static_cast<SoapMessages *>(soap->user)->sent_.append(data, length);
        return SOAP_OK;
    }

    static size_t ReadAnswer(struct soap *soap, char *buffer, size_t length) {
        std::string_view &unread = static_cast<SoapMessages *>(soap->user)->unread_;
        length = std::min(length, unread.size());
        std::memcpy(buffer, unread.data(), length);
        unread.remove_prefix(length);
        return length;
    }

    std::string sent_;
    std::string answer_;
    std::string_view unread_;
    webserviceHttpBindingProxy proxy_;
};

struct HttpAnswer {
    CURLcode result = CURLE_FAILED_INIT;
    long status = 0;
    std::string body;

    bool arrived() const { return result == CURLE_OK && status >= 200 && status < 300; }
};

// Ends a call once nothing has gone either way for the limit (libcurl asks about once a second
// while nothing moves).
struct Silence {
    std::chrono::milliseconds limit;
    curl_off_t moved = -1;
    std::chrono::steady_clock::time_point since = std::chrono::steady_clock::now();

    static int Watch(void *self, curl_off_t, curl_off_t received, curl_off_t, curl_off_t sent) {
        auto &silence = *static_cast<Silence *>(self);
        const auto now = std::chrono::steady_clock::now();
        if (received + sent != silence.moved) {
            silence.moved = received + sent;
            silence.since = now;
            return 0;
        }
        return now - silence.since > silence.limit ? 1 : 0;
    }
};

std::size_t AppendBody(char *data, std::size_t size, std::size_t count, void *target) {
    auto &body = *static_cast<std::string *>(target);
    if (body.size() + size * count > kMaxAnswerBytes) return 0;
    body.append(data, size * count);
    return count;
}

// POSTs `request` to the endpoint and collects the answer's body. Redirects are not followed;
// the connection is closed after the call.
HttpAnswer Post(const std::string &endpoint, const std::string &request,
                const ServiceOptions &options) {
    HttpAnswer answer;
    const CurlHandle handle = MakeCurlHandle();
    if (!handle || request.empty()) return answer;
    const std::string length = "Content-Length: " + std::to_string(request.size());
    curl_slist *head = nullptr;
    for (const char *line : {kUserAgent, kContentType, length.c_str(), "Connection: close",
                             kSoapAction, "Accept:", "Expect:"})
        head = curl_slist_append(head, line);
    const std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> headLines(
        head, &curl_slist_free_all);

    CURL *curl = handle.get();
    curl_easy_setopt(curl, CURLOPT_URL, endpoint.c_str());
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.data());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.size()));
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, head);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(options.connectTimeout.count()));
    Silence silence{options.silenceLimit};
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &Silence::Watch);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &silence);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &AppendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer.body);
    answer.result = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &answer.status);
    return answer;
}

std::string EndpointOf(const ServiceOptions &options) {
    return options.endpoint.empty() ? ServiceEndpoint() : options.endpoint;
}

}  // namespace

std::string ServiceEndpoint() {
    const char *overridden = std::getenv("LUMORA_SERVICE_ENDPOINT");
    if (overridden != nullptr && *overridden != '\0') return overridden;
    return LUMORA_DEFAULT_SERVICE_ENDPOINT;
}

std::optional<std::string> RequestPictureList(const ServiceOptions &options, CallOutcome *outcome,
                                              std::string *reason) {
    const std::string endpoint = EndpointOf(options);
    SoapMessages messages;
    const HttpAnswer answer = Post(endpoint, messages.DeleteRequest(endpoint), options);
    std::optional<std::string> list;
    if (answer.arrived()) list = messages.PictureList(answer.body);
    if (reason && !list)
        *reason = answer.arrived() ? "服务器的回答不是图片列表"
                                   : FailureReason(answer.result, answer.status);
    if (outcome) {
        *outcome = list                                         ? CallOutcome::Answered
                   : MayPassLater(answer.result, answer.status) ? CallOutcome::MayPassLater
                                                                : CallOutcome::Failed;
    }
    return list;
}

std::vector<std::string> RequestVersionList() { return RequestVersionList(ServiceOptions{}); }

std::vector<std::string> RequestVersionList(const ServiceOptions &options) {
    const std::string endpoint = EndpointOf(options);
    SoapMessages messages;
    const HttpAnswer answer = Post(endpoint, messages.GetVerRequest(endpoint), options);
    return answer.arrived() ? messages.Versions(answer.body) : std::vector<std::string>();
}

std::optional<std::string> ReadPictureListAnswer(std::string_view body) {
    return SoapMessages().PictureList(body);
}

std::vector<std::string> ReadVersionListAnswer(std::string_view body) {
    return SoapMessages().Versions(body);
}

std::string Utf8ToSystemCodePage(std::string_view utf8) {
    std::string result;
    AppendCleanUtf8(utf8.substr(0, utf8.find('\0')), result);
    return result;
}
