#include "download/PictureListService.h"

#include <sys/socket.h>

#include <climits>
#include <cstdlib>

#include "soapwebserviceHttpBindingProxy.h"
#include "webserviceHttpBinding.nsmap"  // the runtime's global namespace table

namespace {

// gSOAP takes positive time-outs as seconds and negative ones as microseconds; 0 means none.
int GsoapTimeout(std::chrono::milliseconds timeout) {
    const long long ms = timeout.count();
    if (ms <= 0) return 0;
    if (ms % 1000 == 0 || ms > INT_MAX / 1000) {
        return static_cast<int>(std::min<long long>((ms + 999) / 1000, INT_MAX));
    }
    return -static_cast<int>(ms * 1000);
}

// One proxy per call, on the caller's stack: UTF-8 strings pass unchanged, plain HTTP, no header.
class ServiceCall {
public:
    explicit ServiceCall(const ServiceOptions &options)
        : endpoint_(options.endpoint.empty() ? ServiceEndpoint() : options.endpoint),
          proxy_(SOAP_C_UTFSTRING) {
        proxy_.soap_endpoint = endpoint_.c_str();
        proxy_.connect_timeout = GsoapTimeout(options.connectTimeout);
        proxy_.send_timeout = GsoapTimeout(options.sendTimeout);
        proxy_.recv_timeout = GsoapTimeout(options.receiveTimeout);
        proxy_.socket_flags = MSG_NOSIGNAL;  // a peer that hangs up must not raise SIGPIPE
    }
    ~ServiceCall() { proxy_.destroy(); }
    ServiceCall(const ServiceCall &) = delete;
    ServiceCall &operator=(const ServiceCall &) = delete;

    webserviceHttpBindingProxy &proxy() { return proxy_; }

    // The runtime reads a body sent with any HTTP status so that it can report faults; an
    // answer that came with an error status still counts as a failed call.
    bool Succeeded(int result) const {
        return result == SOAP_OK && proxy_.status >= 200 && proxy_.status < 300;
    }

private:
    std::string endpoint_;
    webserviceHttpBindingProxy proxy_;
};

}  // namespace

std::string ServiceEndpoint() {
    const char *overridden = std::getenv("LUMORA_SERVICE_ENDPOINT");
    if (overridden != nullptr && *overridden != '\0') return overridden;
    return LUMORA_DEFAULT_SERVICE_ENDPOINT;
}

std::optional<std::string> RequestPictureList() { return RequestPictureList(ServiceOptions{}); }

std::optional<std::string> RequestPictureList(const ServiceOptions &options) {
    ServiceCall call(options);
    _ns1__delete request;
    _ns1__deleteResponse response;
    // A call that fails after `out` was read (a cut or malformed answer) gives no list either.
    if (!call.Succeeded(call.proxy().delete_(&request, response)) || response.out == nullptr) {
        return std::nullopt;
    }
    return std::string(response.out);
}

std::vector<std::string> RequestVersionList() { return RequestVersionList(ServiceOptions{}); }

std::vector<std::string> RequestVersionList(const ServiceOptions &options) {
    std::vector<std::string> versions;
    ServiceCall call(options);
    _ns1__getVer request;
    _ns1__getVerResponse response;
    if (!call.Succeeded(call.proxy().getVer(&request, response)) || response.out == nullptr) {
        return versions;
    }
    for (const char *text : response.out->string) {
        versions.push_back(text == nullptr ? std::string() : Utf8ToSystemCodePage(text));
    }
    return versions;
}

std::string Utf8ToSystemCodePage(std::string_view utf8) {
    utf8 = utf8.substr(0, utf8.find('\0'));
    std::string result;
    result.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            result += static_cast<char>(lead);
            ++i;
            continue;
        }
        // Continuation bytes still needed, and the allowed range of the first of them, which
        // excludes overlong forms, surrogates and code points above U+10FFFF.
        std::size_t needed = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            needed = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            needed = 2;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            needed = 3;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        }
        std::size_t length = 1;
        while (length <= needed && i + length < utf8.size()) {
            const auto next = static_cast<unsigned char>(utf8[i + length]);
            const bool fits =
                length == 1 ? next >= low && next <= high : next >= 0x80 && next <= 0xBF;
            if (!fits) break;
            ++length;
        }
        if (needed > 0 && length == needed + 1) {
            result.append(utf8.substr(i, length));
        } else {
            result += '?';  // one "?" for the longest broken start of a sequence
        }
        i += length;
    }
    return result;
}
