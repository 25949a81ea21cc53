#include "platform/Utf8.h"

Utf8Sequence Utf8SequenceAt(std::string_view bytes, std::size_t at) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    if (lead < 0x80) return {1, true};
    std::size_t needed = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the first continuation byte
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
    } else {
        return {1, false};
    }
    std::size_t length = 1;
    while (length <= needed && at + length < bytes.size()) {
        const auto next = static_cast<unsigned char>(bytes[at + length]);
        if (next < (length == 1 ? low : 0x80) || next > (length == 1 ? high : 0xBF)) break;
        ++length;
    }
    return {length, length == needed + 1};
}

void AppendCleanUtf8(std::string_view bytes, std::string &result) {
    result.reserve(result.size() + bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        const Utf8Sequence sequence = Utf8SequenceAt(bytes, at);
        if (sequence.valid)
            result.append(bytes.substr(at, sequence.length));
        else
            result += '?';
        at += sequence.length;
    }
}
