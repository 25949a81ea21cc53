#include "support/TestFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TestFolder::TestFolder() { dir_.setAutoRemove(true); }

QString TestFolder::At(const QString &relative) const { return dir_.filePath(relative); }

QString TestFolder::MakeFolder(const QString &relative) const {
    QDir().mkpath(At(relative));
    return At(relative);
}

QString TestFolder::WriteFile(const QString &relative, const QByteArray &bytes) const {
    const QString path = At(relative);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
    return path;
}

void TestFolder::WriteAnsweredSettings(const QString &root, const QByteArray &extraLines) const {
    WriteFile("config/t.ini", "[config]\nreadDoc=1\nisLink=1\npath=" + root.toUtf8() + "\n" + extraLines);
}

CurrentDirectoryGuard::CurrentDirectoryGuard(const QString &folder)
    : previous_(QDir::currentPath()) {
    QDir::setCurrent(folder);
}

CurrentDirectoryGuard::~CurrentDirectoryGuard() { QDir::setCurrent(previous_); }

QByteArray ReadWholeFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
