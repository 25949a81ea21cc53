#include "platform/SettingsStore.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>
#include <climits>

#include "platform/DirectoryListing.h"
#include "platform/FileNames.h"

namespace {

const QString kSection = QStringLiteral("config");

// INI names compare without regard to case or surrounding blanks, as the profile functions do.
bool SameName(QStringView a, QStringView b) {
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

bool IsSectionHeader(QStringView line, QString *name = nullptr) {
    const QStringView trimmed = line.trimmed();
    if (!trimmed.startsWith(u'[')) return false;
    const qsizetype close = trimmed.indexOf(u']');
    if (close < 0) return false;
    if (name) *name = trimmed.mid(1, close - 1).toString();
    return true;
}

// Splits "key=value"; false for lines that hold no key.
bool SplitKeyLine(QStringView line, QStringView *key, QStringView *value) {
    const qsizetype equals = line.indexOf(u'=');
    if (equals <= 0 || line.trimmed().startsWith(u';')) return false;
    *key = line.left(equals);
    *value = line.mid(equals + 1);
    return true;
}

QString Unquoted(QStringView value) {
    value = value.trimmed();
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return value.toString();
}

// A value that the reader would trim or unquote is written inside double quotes, so that it
// reads back exactly as written.
QString StoredForm(const QString &value) {
    const bool quoted = value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
                        value.back() == value.front();
    if (value.trimmed() != value || quoted) return u'"' + value + u'"';
    return value;
}

// Each line keeps its own ending, so a file with mixed CRLF and LF lines is read line by line
// and written back as it was. The bytes are kept as they are, valid UTF-8 or not.
struct IniText {
    QStringList lines;
    QStringList endings;                     // "\r\n", "\n", or "" for a last line without one
    QString newline = QStringLiteral("\n");  // for lines the program adds: the file's first ending

    void Insert(qsizetype at, const QString &line) {
        lines.insert(at, line);
        endings.insert(at, newline);
    }
    QByteArray Bytes() const {
        QString text;
        for (qsizetype i = 0; i < lines.size(); ++i)
            text += lines[i] + (endings[i].isEmpty() ? newline : endings[i]);
        return EncodeFileName(text);
    }
};

std::optional<IniText> ReadIni(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QString text = DecodeFileName(file.readAll());
    IniText ini;
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype lf = text.indexOf(u'\n', at);
        if (lf < 0) {
            ini.lines.append(text.mid(at));
            ini.endings.append(QString());
            break;
        }
        const bool crlf = lf > at && text[lf - 1] == u'\r';
        ini.lines.append(text.mid(at, lf - at - (crlf ? 1 : 0)));
        ini.endings.append(crlf ? QStringLiteral("\r\n") : QStringLiteral("\n"));
        at = lf + 1;
    }
    if (!ini.endings.isEmpty() && !ini.endings.first().isEmpty()) ini.newline = ini.endings.first();
    return ini;
}

}  // namespace

SettingsStore::SettingsStore(QString filePath) : filePath_(std::move(filePath)) {}

QString SettingsStore::ReadSetting(const QString &key, int capacity) const {
    const std::optional<IniText> ini = ReadIni(filePath_);
    if (!ini || capacity <= 0) return QString();
    bool inSection = false;
    for (const QString &line : ini->lines) {
        QString section;
        if (IsSectionHeader(line, &section)) {
            inSection = SameName(section, kSection);
            continue;
        }
        QStringView name, value;
        if (inSection && SplitKeyLine(line, &name, &value) && SameName(name, key))
            return Unquoted(value).left(capacity - 1);
    }
    return QString();
}

void SettingsStore::WriteSetting(const QString &key, const QString &value) const {
    // A line break would split the line and leave a cut value and a stray line behind.
    if (value.contains(u'\n') || value.contains(u'\r')) return;
    const QFileInfo info(filePath_);
    if (info.exists() && !info.isWritable()) return;  // a read-only file keeps its contents
    std::optional<IniText> read = ReadIni(filePath_);
    // A file that exists but cannot be read is never replaced by one holding only this key.
    if (!read && info.exists()) return;
    IniText ini = read.value_or(IniText{});

    qsizetype sectionStart = -1;  // index of the header line
    qsizetype insertAt = -1;      // after the section's last non-blank line
    for (qsizetype i = 0; i < ini.lines.size(); ++i) {
        QString section;
        if (IsSectionHeader(ini.lines[i], &section)) {
            if (sectionStart >= 0) break;
            if (SameName(section, kSection)) sectionStart = insertAt = i;
            continue;
        }
        if (sectionStart < 0) continue;
        QStringView name, oldValue;
        if (SplitKeyLine(ini.lines[i], &name, &oldValue) && SameName(name, key)) {
            ini.lines[i] = name.toString() + u'=' + StoredForm(value);
            insertAt = -1;
            sectionStart = -2;  // replaced
            break;
        }
        if (!ini.lines[i].trimmed().isEmpty()) insertAt = i;
    }
    if (sectionStart == -1) {
        if (!ini.lines.isEmpty() && !ini.lines.last().trimmed().isEmpty())
            ini.Insert(ini.lines.size(), QString());
        ini.Insert(ini.lines.size(), u'[' + kSection + u']');
        ini.Insert(ini.lines.size(), key + u'=' + StoredForm(value));
    } else if (insertAt >= 0) {
        ini.Insert(insertAt + 1, key + u'=' + StoredForm(value));
    }

    QSaveFile file(filePath_);
    // In a folder that takes no new file the file is written in place; the atomic replace needs
    // one.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly)) return;  // no config folder: the write is lost
    file.write(ini.Bytes());
    file.commit();
}

QString StoredDownloadRoot(const SettingsStore &settings) {
    return WithoutTrailingSlash(settings.ReadSetting(QStringLiteral("path"), PATH_MAX));
}
