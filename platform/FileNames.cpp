#include "platform/FileNames.h"

#include <sys/stat.h>

namespace {

constexpr char16_t kEscapeBase = 0xDC00;  // + byte (0x80..0xFF)
constexpr char16_t kReplacement = 0xFFFD;

// A lone low surrogate in the escape range; the low half of a surrogate pair is a character.
bool IsEscapedByte(QStringView name, qsizetype at) {
    const char16_t unit = name[at].unicode();
    return unit >= 0xDC80 && unit <= 0xDCFF && (at == 0 || !name[at - 1].isHighSurrogate());
}

// Length of the valid UTF-8 sequence at `at`, or 0: no overlong forms, no surrogates, nothing
// above U+10FFFF.
qsizetype ValidSequenceLength(QByteArrayView bytes, qsizetype at) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    qsizetype length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > bytes.size()) return 0;
    for (qsizetype i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(bytes[at + i]);
        const unsigned char lowest = i == 1 ? low : 0x80;
        const unsigned char highest = i == 1 ? high : 0xBF;
        if (next < lowest || next > highest) return 0;
    }
    return length;
}

}  // namespace

QString DecodeFileName(QByteArrayView bytes) {
    QString name;
    name.reserve(bytes.size());
    qsizetype at = 0;
    while (at < bytes.size()) {
        // Runs of valid text decode in one step; only broken bytes are escaped one by one.
        qsizetype end = at;
        while (end < bytes.size()) {
            const qsizetype length = ValidSequenceLength(bytes, end);
            if (length == 0) break;
            end += length;
        }
        if (end > at) name += QString::fromUtf8(bytes.sliced(at, end - at));
        if (end < bytes.size()) {
            name += QChar(char16_t(kEscapeBase + static_cast<unsigned char>(bytes[end])));
            ++end;
        }
        at = end;
    }
    return name;
}

QByteArray EncodeFileName(QStringView name) {
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype at = 0;
    while (at < name.size()) {
        qsizetype end = at;
        while (end < name.size() && !IsEscapedByte(name, end)) ++end;
        if (end > at) bytes += name.sliced(at, end - at).toUtf8();
        if (end < name.size()) {
            bytes += static_cast<char>(name[end].unicode() - kEscapeBase);
            ++end;
        }
        at = end;
    }
    return bytes;
}

QString DisplayName(QStringView name) {
    QString shown = name.toString();
    for (qsizetype i = 0; i < name.size(); ++i)
        if (IsEscapedByte(name, i)) shown[i] = QChar(kReplacement);
    return shown;
}

bool PathExists(const QString &path) {
    struct stat info {};
    return !path.isEmpty() && ::stat(EncodeFileName(path).constData(), &info) == 0;
}

bool IsFolder(const QString &path) {
    struct stat info {};
    return !path.isEmpty() && ::stat(EncodeFileName(path).constData(), &info) == 0 &&
           S_ISDIR(info.st_mode);
}
