#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A fresh temporary folder per test, removed afterwards.
class TestFolder {
public:
    TestFolder();
    QString path() const { return dir_.path(); }
    // Path of `relative` inside the folder.
    QString At(const QString &relative) const;
    // Creates the folder `relative` with its parents; returns its path.
    QString MakeFolder(const QString &relative) const;
    // Writes `bytes` to the file `relative`, creating its folders; returns its path.
    QString WriteFile(const QString &relative, const QByteArray &bytes = QByteArray()) const;
    // Writes config/t.ini with the first-run questions answered, `root` as the download root
    // and `extraLines` ("key=value\n" …) after them.
    void WriteAnsweredSettings(const QString &root,
                               const QByteArray &extraLines = QByteArray()) const;

private:
    QTemporaryDir dir_;
};

// Makes `folder` the current directory for the guard's lifetime.
class CurrentDirectoryGuard {
public:
    explicit CurrentDirectoryGuard(const QString &folder);
    ~CurrentDirectoryGuard();

private:
    QString previous_;
};

QByteArray ReadWholeFile(const QString &path);

// File permissions hold on the calling thread for the guard's lifetime, even for root (CI runs
// as root): the capabilities that override them are dropped from its effective set.
class FilePermissionsEnforced {
public:
    FilePermissionsEnforced();
    ~FilePermissionsEnforced();

private:
    unsigned effective_[2] = {0, 0};
};
