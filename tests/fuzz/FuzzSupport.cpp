#include "FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <cstdlib>

void FuzzCheckFailed(const char *condition, const char *file, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
}

std::string_view AsText(const std::uint8_t *data, std::size_t size) {
    return {reinterpret_cast<const char *>(data), size};
}

QString EnterScratchFolder() {
    QByteArray pattern = QDir::tempPath().toLocal8Bit() + "/lumora-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr || !QDir::setCurrent(QString::fromLocal8Bit(pattern))) {
        std::perror("lumora fuzz: no scratch folder");
        std::abort();
    }
    return QString::fromLocal8Bit(pattern);
}

void WriteWholeFile(const QString &path, std::string_view bytes) {
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
               static_cast<qint64>(bytes.size()));
}

bool IsCleanUtf8(std::string_view text) {
    const QByteArray bytes(text.data(), static_cast<qsizetype>(text.size()));
    return !bytes.contains('\0') && QString::fromUtf8(bytes).toUtf8() == bytes;
}

std::pair<std::string_view, std::string_view> SplitOnce(std::string_view text, char separator) {
    const std::size_t at = text.find(separator);
    if (at == std::string_view::npos) return {text, {}};
    return {text.substr(0, at), text.substr(at + 1)};
}
