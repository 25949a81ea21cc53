#include "DemoAnswers.h"

#include "ListScrambler.h"

namespace {

constexpr char kEnvelopeStart[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<SOAP-ENV:Envelope"
    " xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\""
    " xmlns:SOAP-ENC=\"http://schemas.xmlsoap.org/soap/encoding/\""
    " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
    " xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\""
    " xmlns:ns1=\"" LUMORA_SERVICE_NAMESPACE
    "\">"
    "<SOAP-ENV:Body>";
constexpr char kEnvelopeEnd[] = "</SOAP-ENV:Body></SOAP-ENV:Envelope>\n";

// The entries' markup; `escapeFields` escapes the field texts for use as nested elements.
std::string EntriesMarkup(const std::vector<ListEntry> &entries, bool escapeFields) {
    const auto field = [escapeFields](const std::string &text) {
        return "<ns1:string>" + (escapeFields ? XmlEscaped(text) : text) + "</ns1:string>";
    };
    std::string markup;
    for (const ListEntry &entry : entries)
        markup += "<xsd:anyType>" + field(entry.field1) + field(entry.title) + field(entry.field3) +
                  "</xsd:anyType>";
    return markup;
}

}  // namespace

std::string XmlEscaped(const std::string &text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::optional<std::vector<ListEntry>> PictureListEntries(const DemoCatalog &catalog,
                                                         const std::string &host,
                                                         const std::string &dayKey) {
    std::vector<ListEntry> entries;
    for (std::size_t t = 0; t < catalog.size(); ++t) {
        const std::string group = std::to_string(t + 1);
        const std::string links = host + "/gallery/" + group + "\\" + host + "/pictures/" + group;
        for (std::size_t i = 0; i < catalog[t].pictures.size(); ++i) {
            const int position = static_cast<int>(entries.size());
            ListEntry entry;
            if (i == 0) {
                auto field1 = ScrambleField(links, position, dayKey);
                if (!field1) return std::nullopt;
                entry.field1 = *field1;
                entry.title = catalog[t].title;
            }
            auto field3 = ScrambleField(catalog[t].pictures[i].listName, position, dayKey);
            if (!field3) return std::nullopt;
            entry.field3 = *field3;
            entries.push_back(std::move(entry));
        }
    }
    return entries;
}

std::string ListText(const std::vector<ListEntry> &entries) {
    return EntriesMarkup(entries, false);
}

std::string DeleteResponseEnvelope(const std::vector<ListEntry> &entries, ListForm form) {
    const std::string out = form == ListForm::Nested ? EntriesMarkup(entries, true)
                                                     : XmlEscaped(EntriesMarkup(entries, false));
    return kEnvelopeStart + std::string("<ns1:deleteResponse><ns1:out>") + out +
           "</ns1:out></ns1:deleteResponse>" + kEnvelopeEnd;
}

std::string GetVerResponseEnvelope(const std::vector<std::string> &versions) {
    std::string out;
    for (const std::string &version : versions)
        out += "<ns1:string>" + XmlEscaped(version) + "</ns1:string>";
    return kEnvelopeStart + std::string("<ns1:getVerResponse><ns1:out>") + out +
           "</ns1:out></ns1:getVerResponse>" + kEnvelopeEnd;
}

std::string FaultEnvelope(const std::string &reason) {
    return kEnvelopeStart + std::string("<SOAP-ENV:Fault><faultcode>SOAP-ENV:Client</faultcode>") +
           "<faultstring>" + XmlEscaped(reason) + "</faultstring></SOAP-ENV:Fault>" + kEnvelopeEnd;
}
