// The settings file config/t.ini: whatever it holds, a write changes only the key written.
// Input: one byte choosing the key, the value up to the first line feed, then the file's bytes.
#include <QDir>
#include <QFile>
#include <QList>
#include <array>
#include <vector>

#include "FuzzSupport.h"
#include "platform/SettingsStore.h"

namespace {

const std::array<QString, 5> kKeys = {"path", "showTip", "isKnown", "readDoc", "isLink"};
constexpr int kCapacity = 1 << 20;

QList<QByteArray> LinesOf(QByteArray bytes) {
    QList<QByteArray> lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    for (QByteArray &line : lines)  // a last line's own "\r" gains a line end: "\r\r\n"
        while (line.endsWith('\r')) line.chop(1);
    return lines;
}

// Every line of `before` but at most one (the key's own line, rewritten) is in `after`, in order:
// greedy matches from the front and from the back must meet around the skipped line.
bool KeepsOtherLines(const QList<QByteArray> &before, const QList<QByteArray> &after) {
    const qsizetype n = before.size();
    std::vector<qsizetype> front(n + 1, -1), back(n + 1, -1);  // -1: no match
    front[0] = 0;
    for (qsizetype i = 0; i < n && front[i] >= 0; ++i) {
        const qsizetype found = after.indexOf(before[i], front[i]);
        front[i + 1] = found < 0 ? -1 : found + 1;
    }
    back[n] = after.size();
    for (qsizetype i = n; i > 0 && back[i] >= 0; --i) {
        const qsizetype found = after.lastIndexOf(before[i - 1], back[i] - 1);
        back[i - 1] = back[i] == 0 ? -1 : found;
    }
    if (front[n] >= 0) return true;
    for (qsizetype skip = 0; skip < n; ++skip)
        if (front[skip] >= 0 && back[skip + 1] >= 0 && front[skip] <= back[skip + 1]) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    EnterScratchFolder();
    QDir().mkdir("config");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0) return 0;
    const QString &key = kKeys[data[0] % kKeys.size()];
    const auto [valueBytes, file] = SplitOnce(AsText(data + 1, size - 1), '\n');
    QString value = QString::fromUtf8(valueBytes.data(), static_cast<qsizetype>(valueBytes.size()));
    value.remove(u'\r');
    WriteWholeFile("config/t.ini", file);

    const SettingsStore store;
    std::array<QString, kKeys.size()> before;
    for (std::size_t i = 0; i < kKeys.size(); ++i)
        before[i] = store.ReadSetting(kKeys[i], kCapacity);
    FUZZ_CHECK(store.ReadSetting(key, 3).size() <= 2);

    store.WriteSetting(key, value);
    FUZZ_CHECK(store.ReadSetting(key, kCapacity) == value);
    for (std::size_t i = 0; i < kKeys.size(); ++i)
        if (kKeys[i] != key) FUZZ_CHECK(store.ReadSetting(kKeys[i], kCapacity) == before[i]);

    QFile written("config/t.ini");
    FUZZ_CHECK(written.open(QIODevice::ReadOnly));
    FUZZ_CHECK(
        KeepsOtherLines(LinesOf(QByteArray(file.data(), static_cast<qsizetype>(file.size()))),
                        LinesOf(written.readAll())));
    return 0;
}
