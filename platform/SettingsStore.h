#pragma once

#include <QString>

// Section "config" of the INI file "config/t.ini", relative to the current directory. Stateless:
// every read goes to the file at that moment and every write replaces the file at once.
// Keys: path, showTip, isKnown, readDoc, isLink.
class SettingsStore {
public:
    explicit SettingsStore(QString filePath = QStringLiteral("config/t.ini"));

    // The key's value, at most capacity - 1 characters; "" when the file, section or key is absent.
    QString ReadSetting(const QString &key, int capacity) const;

    // Writes the key at once; the value reads back exactly as written. The file is replaced
    // atomically and keeps every other section, key and line. Never creates the folder; any
    // failure is silent, and a value holding a line break is not stored.
    void WriteSetting(const QString &key, const QString &value) const;

    const QString &filePath() const { return filePath_; }

private:
    QString filePath_;
};

// The download root as stored: the "path" setting read whole (a path cut to a smaller buffer
// would name another folder, or none), without a trailing "/". Empty when none is stored.
QString StoredDownloadRoot(const SettingsStore &settings);
