#include "support/TestFolders.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

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
    WriteFile("config/t.ini",
              "[config]\nreadDoc=1\nisLink=1\npath=" + root.toUtf8() + "\n" + extraLines);
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

namespace {

struct Capabilities {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    Capabilities() { syscall(SYS_capget, &header, data); }
    void Apply() { syscall(SYS_capset, &header, data); }
};

}  // namespace

FilePermissionsEnforced::FilePermissionsEnforced() {
    Capabilities caps;
    effective_[0] = caps.data[0].effective;
    effective_[1] = caps.data[1].effective;
    caps.data[0].effective &=
        ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
    caps.Apply();
}

FilePermissionsEnforced::~FilePermissionsEnforced() {
    Capabilities caps;
    caps.data[0].effective = effective_[0];
    caps.data[1].effective = effective_[1];
    caps.Apply();
}
