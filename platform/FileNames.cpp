#include "platform/FileNames.h"

#include <sys/stat.h>

#include "platform/Utf8.h"

namespace {

constexpr char16_t kEscapeBase = 0xDC00;  // + byte (0x80..0xFF)
constexpr char16_t kReplacement = 0xFFFD;

// A lone low surrogate in the escape range; the low half of a surrogate pair is a character.
bool IsEscapedByte(QStringView name, qsizetype at) {
    const char16_t unit = name[at].unicode();
    return unit >= 0xDC80 && unit <= 0xDCFF && (at == 0 || !name[at - 1].isHighSurrogate());
}

}  // namespace

QString DecodeFileName(QByteArrayView bytes) {
    QString name;
    name.reserve(bytes.size());
    const std::string_view text(bytes.data(), static_cast<std::size_t>(bytes.size()));
    qsizetype at = 0;
    while (at < bytes.size()) {
        // Runs of valid text decode in one step; only broken bytes are escaped one by one.
        qsizetype end = at;
        while (end < bytes.size()) {
            const Utf8Sequence sequence = Utf8SequenceAt(text, static_cast<std::size_t>(end));
            if (!sequence.valid) break;
            end += static_cast<qsizetype>(sequence.length);
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
