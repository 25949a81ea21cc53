#include "download/PictureListService.h"

#include <sys/socket.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "download/AnswerDechunker.h"
#include "soapwebserviceHttpBindingProxy.h"
#include "webserviceHttpBinding.nsmap"  // the runtime's global namespace table

namespace {

// Continuation bytes a lead byte needs, and the allowed range of the first of them, which
// excludes overlong forms, surrogates and code points above U+10FFFF. needed 0: no lead byte.
struct SequenceShape {
    std::size_t needed = 0;
    unsigned char low = 0x80, high = 0xBF;
};

SequenceShape ShapeOf(unsigned char lead) {
    SequenceShape shape;
    if (lead >= 0xC2 && lead <= 0xDF) {
        shape.needed = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        shape.needed = 2;
        if (lead == 0xE0) shape.low = 0xA0;
        if (lead == 0xED) shape.high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        shape.needed = 3;
        if (lead == 0xF0) shape.low = 0x90;
        if (lead == 0xF4) shape.high = 0x8F;
    }
    return shape;
}

bool FitsAt(const SequenceShape &shape, std::size_t index, unsigned char next) {
    return index == 1 ? next >= shape.low && next <= shape.high : next >= 0x80 && next <= 0xBF;
}

// Valid UTF-8 is appended as it is; each invalid sequence becomes one "?".
void AppendCleanUtf8(std::string_view utf8, std::string &result) {
    result.reserve(result.size() + utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            result += static_cast<char>(lead);
            ++i;
            continue;
        }
        const SequenceShape shape = ShapeOf(lead);
        std::size_t length = 1;
        while (length <= shape.needed && i + length < utf8.size() &&
               FitsAt(shape, length, static_cast<unsigned char>(utf8[i + length])))
            ++length;
        if (shape.needed > 0 && length == shape.needed + 1) {
            result.append(utf8.substr(i, length));
        } else {
            result += '?';  // one "?" for the longest broken start of a sequence
        }
        i += length;
    }
}

// Length of the valid start of a sequence that ends `text` unfinished; 0 when there is none.
std::size_t OpenSequenceLength(std::string_view text) {
    for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
        const auto byte = static_cast<unsigned char>(text[text.size() - back]);
        if (byte >= 0x80 && byte <= 0xBF) continue;  // a continuation byte: the lead lies before
        const SequenceShape shape = ShapeOf(byte);
        if (shape.needed < back) return 0;
        for (std::size_t i = 1; i < back; ++i)
            if (!FitsAt(shape, i, static_cast<unsigned char>(text[text.size() - back + i])))
                return 0;
        return back;
    }
    return 0;
}

// gSOAP takes positive time-outs as seconds and negative ones as microseconds; 0 means none.
int GsoapTimeout(std::chrono::milliseconds timeout) {
    const long long ms = timeout.count();
    if (ms <= 0) return 0;
    if (ms % 1000 == 0 || ms > INT_MAX / 1000) {
        return static_cast<int>(std::min<long long>((ms + 999) / 1000, INT_MAX));
    }
    return -static_cast<int>(ms * 1000);
}

using Clock = std::chrono::steady_clock;

// The smaller of a time-out (0: none) and the time left until `deadline`, at least 1 ms.
std::chrono::milliseconds Bounded(std::chrono::milliseconds timeout, Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    const auto bounded = timeout.count() > 0 ? std::min(timeout, left) : left;
    return std::max(bounded, std::chrono::milliseconds(1));
}

// One proxy per call, on the caller's stack: UTF-8 strings pass unchanged, plain HTTP, no header,
// and answers are read as plain trees (the service sends no multi-reference id and href, and the
// runtime's handling of them copies overlapping strings).
// Every read waits at most until the call's deadline, a chunked answer reaches the runtime
// joined, and the answer's bytes pass the "?" rule before the runtime parses them (it would
// read a stray byte as Latin-1 and re-encode it).
class ServiceCall {
public:
    explicit ServiceCall(const ServiceOptions &options)
        : endpoint_(options.endpoint.empty() ? ServiceEndpoint() : options.endpoint),
          receiveTimeout_(options.receiveTimeout),
          proxy_(SOAP_C_UTFSTRING | SOAP_XML_TREE) {
        Prepare(options);
    }
    // Reads the whole HTTP answer from `answer` instead of the wire, through the same filters;
    // nothing is sent.
    explicit ServiceCall(std::string_view answer)
        : receiveTimeout_(0), memoryAnswer_(answer), proxy_(SOAP_C_UTFSTRING | SOAP_XML_TREE) {
        ServiceOptions none;
        none.connectTimeout = none.sendTimeout = none.receiveTimeout = none.callDeadline = {};
        Prepare(none);
        runtimeReceive_ = &ServiceCall::ReceiveFromMemory;
    }
    ~ServiceCall() { proxy_.destroy(); }
    ServiceCall(const ServiceCall &) = delete;
    ServiceCall &operator=(const ServiceCall &) = delete;

    int Delete(_ns1__deleteResponse &response) {
        _ns1__delete request;
        return memoryAnswer_ ? proxy_.recv_delete_(response) : proxy_.delete_(&request, response);
    }
    int GetVer(_ns1__getVerResponse &response) {
        _ns1__getVer request;
        return memoryAnswer_ ? proxy_.recv_getVer(response) : proxy_.getVer(&request, response);
    }

    // The runtime reads a body sent with any HTTP status so that it can report faults; an
    // answer that came with an error status still counts as a failed call.
    bool Succeeded(int result) const {
        return result == SOAP_OK && !refused_ && proxy_.status >= 200 && proxy_.status < 300;
    }

private:
    void Prepare(const ServiceOptions &options) {
        if (options.callDeadline.count() > 0) deadline_ = Clock::now() + options.callDeadline;
        proxy_.soap_endpoint = endpoint_.c_str();
        proxy_.connect_timeout = GsoapTimeout(Limited(options.connectTimeout));
        proxy_.send_timeout = GsoapTimeout(Limited(options.sendTimeout));
        proxy_.recv_timeout = GsoapTimeout(Limited(options.receiveTimeout));
        proxy_.socket_flags = MSG_NOSIGNAL;  // a peer that hangs up must not raise SIGPIPE
        proxy_.user = this;
        runtimeReceive_ = proxy_.frecv;
        proxy_.frecv = &ServiceCall::Receive;
        proxy_.ffilterrecv = &ServiceCall::FilterUtf8;
        runtimeParseHeader_ = proxy_.fparsehdr;
        proxy_.fparsehdr = &ServiceCall::ParseHeader;
    }

    // Chunks reach the runtime joined. A head that the joining did not recognise but the runtime
    // reads as chunked (after an odd status line, say) fails the call: the runtime's own chunk
    // decoding loses its place behind the UTF-8 filter, so it is switched off again and the rest
    // of the answer is not read.
    static int ParseHeader(struct soap *soap, const char *key, const char *value) {
        auto *call = static_cast<ServiceCall *>(soap->user);
        const int result = call->runtimeParseHeader_(soap, key, value);
        if ((soap->imode & SOAP_IO) == SOAP_IO_CHUNK || (soap->mode & SOAP_IO) == SOAP_IO_CHUNK) {
            soap->imode &= ~SOAP_IO;
            soap->mode &= ~SOAP_IO;
            call->refused_ = call->answerEnded_ = true;
            call->forRuntime_.clear();
        }
        return result;
    }

    std::chrono::milliseconds Limited(std::chrono::milliseconds timeout) const {
        return deadline_ ? Bounded(timeout, *deadline_) : timeout;
    }

    static size_t ReceiveFromMemory(struct soap *soap, char *buffer, size_t length) {
        std::string_view &rest = *static_cast<ServiceCall *>(soap->user)->memoryAnswer_;
        length = std::min(length, rest.size());
        std::memcpy(buffer, rest.data(), length);
        rest.remove_prefix(length);
        return length;
    }

    size_t ReceiveBeforeDeadline(struct soap *soap, char *buffer, size_t length) {
        if (deadline_) {
            if (Clock::now() >= *deadline_) return 0;  // read as the end: the call fails
            soap->recv_timeout = GsoapTimeout(Limited(receiveTimeout_));
        }
        return runtimeReceive_(soap, buffer, length);
    }

    // The runtime's reads: the answer as it arrives, its chunks joined.
    static size_t Receive(struct soap *soap, char *buffer, size_t length) {
        auto *call = static_cast<ServiceCall *>(soap->user);
        while (call->forRuntime_.empty() && !call->answerEnded_) {
            const size_t received = call->ReceiveBeforeDeadline(soap, buffer, length);
            if (received == 0) {
                call->forRuntime_ = call->dechunker_.Finish();
                call->answerEnded_ = true;
            } else {
                call->forRuntime_ = call->dechunker_.Feed(std::string_view(buffer, received));
                call->answerEnded_ = call->dechunker_.ended();
            }
        }
        length = std::min(length, call->forRuntime_.size());
        std::memcpy(buffer, call->forRuntime_.data(), length);
        call->forRuntime_.erase(0, length);
        return length;
    }

    // Called with the bytes just received (`*length` of them), or with none to collect what is
    // still held; writes at most `capacity` cleaned bytes back into `buffer`.
    static int FilterUtf8(struct soap *soap, char *buffer, size_t *length, size_t capacity) {
        auto *call = static_cast<ServiceCall *>(soap->user);
        if (*length > 0) {
            call->cleaned_ += call->cleaner_.Clean(std::string_view(buffer, *length));
        } else if (soap->recverror) {
            call->cleaned_ += call->cleaner_.Finish();
        }
        *length = std::min(capacity, call->cleaned_.size());
        std::memcpy(buffer, call->cleaned_.data(), *length);
        call->cleaned_.erase(0, *length);
        return SOAP_OK;
    }

    std::string endpoint_;
    std::chrono::milliseconds receiveTimeout_;
    std::optional<Clock::time_point> deadline_;
    std::optional<std::string_view> memoryAnswer_;  // what is still to be read
    AnswerDechunker dechunker_;
    std::string forRuntime_;  // dechunked bytes the runtime has not read yet
    bool answerEnded_ = false;
    bool refused_ = false;  // the runtime would have decoded chunks itself
    Utf8StreamCleaner cleaner_;
    std::string cleaned_;  // cleaned bytes the runtime has not taken yet
    size_t (*runtimeReceive_)(struct soap *, char *, size_t) = nullptr;
    int (*runtimeParseHeader_)(struct soap *, const char *, const char *) = nullptr;
    webserviceHttpBindingProxy proxy_;
};

// A call that fails after `out` was read (a cut or malformed answer) gives no list either.
std::optional<std::string> PictureListOf(ServiceCall &call) {
    _ns1__deleteResponse response;
    if (!call.Succeeded(call.Delete(response)) || response.out == nullptr) return std::nullopt;
    return std::string(response.out);
}

std::vector<std::string> VersionListOf(ServiceCall &call) {
    std::vector<std::string> versions;
    _ns1__getVerResponse response;
    if (!call.Succeeded(call.GetVer(response)) || response.out == nullptr) return versions;
    for (const char *text : response.out->string) {
        versions.push_back(text == nullptr ? std::string() : Utf8ToSystemCodePage(text));
    }
    return versions;
}

}  // namespace

std::string ServiceEndpoint() {
    const char *overridden = std::getenv("LUMORA_SERVICE_ENDPOINT");
    if (overridden != nullptr && *overridden != '\0') return overridden;
    return LUMORA_DEFAULT_SERVICE_ENDPOINT;
}

std::optional<std::string> RequestPictureList() { return RequestPictureList(ServiceOptions{}); }

std::optional<std::string> RequestPictureList(const ServiceOptions &options) {
    ServiceCall call(options);
    return PictureListOf(call);
}

std::vector<std::string> RequestVersionList() { return RequestVersionList(ServiceOptions{}); }

std::vector<std::string> RequestVersionList(const ServiceOptions &options) {
    ServiceCall call(options);
    return VersionListOf(call);
}

std::optional<std::string> ReadPictureListAnswer(std::string_view answer) {
    ServiceCall call(answer);
    return PictureListOf(call);
}

std::vector<std::string> ReadVersionListAnswer(std::string_view answer) {
    ServiceCall call(answer);
    return VersionListOf(call);
}

std::string Utf8ToSystemCodePage(std::string_view utf8) {
    std::string result;
    AppendCleanUtf8(utf8.substr(0, utf8.find('\0')), result);
    return result;
}

std::string Utf8StreamCleaner::Clean(std::string_view piece) {
    held_.append(piece);
    const std::size_t open = OpenSequenceLength(held_);
    std::string clean;
    AppendCleanUtf8(std::string_view(held_).substr(0, held_.size() - open), clean);
    held_.erase(0, held_.size() - open);
    return clean;
}

std::string Utf8StreamCleaner::Finish() {
    std::string clean;
    AppendCleanUtf8(held_, clean);
    held_.clear();
    return clean;
}
