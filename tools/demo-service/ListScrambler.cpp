#include "ListScrambler.h"

#include "service/LinkDescrambling.h"

namespace {

constexpr int kFirstPrintable = 0x21;
constexpr int kLastPrintable = 0x7E;

bool NeedsXmlEscape(int c) { return c == '<' || c == '>' || c == '&'; }

}  // namespace

std::optional<std::string> ScrambleField(const std::string &plain, int N, const std::string &K,
                                         Bytes bytes) {
    if (K.empty()) return std::nullopt;
    std::string field;
    field.reserve(plain.size());
    for (std::size_t i = 0; i < plain.size(); ++i) {
        const int k = DescrambleShift(i, N, K);
        const auto wanted = static_cast<unsigned char>(plain[i]);
        std::optional<int> chosen;
        // Characters that need no escaping first, so the answer stays readable.
        for (int pass = 0; pass < 2 && !chosen; ++pass) {
            for (int c = kFirstPrintable; c <= kLastPrintable && !chosen; ++c)
                if (NeedsXmlEscape(c) == (pass == 1) && DescrambleByte(c, k) == wanted) chosen = c;
        }
        for (int c = -128; c <= 127 && !chosen && bytes == Bytes::Any; ++c)
            if (DescrambleByte(c, k) == wanted) chosen = c;
        if (!chosen) return std::nullopt;
        field += static_cast<char>(*chosen);
    }
    return field;
}

std::string ScrambledList(const std::vector<PlainEntry> &entries, const std::string &key,
                          int firstPosition) {
    std::string list;
    int position = firstPosition;
    for (const PlainEntry &entry : entries) {
        const std::optional<std::string> link =
            entry.link.empty() ? std::string()
                               : ScrambleField(entry.link, position, key, Bytes::Any);
        const std::optional<std::string> name =
            ScrambleField(entry.name, position, key, Bytes::Any);
        if (!link || !name) return std::string();
        list += "<xsd:anyType><ns1:string>" + *link + "</ns1:string><ns1:string>" + entry.title +
                "</ns1:string><ns1:string>" + *name + "</ns1:string></xsd:anyType>\n";
        ++position;
    }
    return list;
}
