#include "platform/WorkingFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/DirectoryListing.h"
#include "platform/InstallPaths.h"

namespace {

QString Canonical(const QString &path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(path) : canonical;
}

QString InstalledBinFolder() { return Canonical(QString::fromUtf8(kInstalledBinFolder)); }

bool SameFolder(const QString &a, const QString &b) {
    return !a.isEmpty() && !b.isEmpty() && QDir::cleanPath(a) == QDir::cleanPath(b);
}

}  // namespace

bool IsInstalledProgram(const StartLocation &start, const QString &installedBinFolder) {
    return SameFolder(start.programFolder, installedBinFolder);
}

StartLocation ThisProcessStart() {
    return {Canonical(QCoreApplication::applicationDirPath()), Canonical(QDir::currentPath()),
            Canonical(QDir::homePath()), qEnvironmentVariable("XDG_DATA_HOME")};
}

QString UserDataFolder(const StartLocation &start) {
    const QString data = QDir::isAbsolutePath(start.xdgDataHome)
                             ? start.xdgDataHome
                             : JoinPath(start.home, QStringLiteral(".local/share"));
    return QDir::cleanPath(JoinPath(data, QStringLiteral("lumora")));
}

QString UserFolderToEnter(const StartLocation &start, const QString &installedBinFolder) {
    return IsInstalledProgram(start, installedBinFolder) ? UserDataFolder(start) : QString();
}

QString LauncherFolderFor(const StartLocation &start, const QString &installedBinFolder) {
    return IsInstalledProgram(start, installedBinFolder) ? UserDataFolder(start)
                                                         : start.programFolder;
}

bool PrepareUserFolder(const QString &folder, const QString &helpDocument) {
    if (!QDir().mkpath(JoinPath(folder, QStringLiteral("config")))) return false;
    const QString link = JoinPath(folder, QStringLiteral("help.html"));
    const QFileInfo existing(link);
    if (existing.isSymLink() && existing.symLinkTarget() == helpDocument) return true;
    if (existing.isSymLink() || !existing.exists()) {
        QFile::remove(link);
        QFile::link(helpDocument, link);
    }
    return true;
}

void EnterWorkingFolder() {
    const StartLocation start = ThisProcessStart();
    const QString folder = UserFolderToEnter(start, InstalledBinFolder());
    if (!folder.isEmpty() && PrepareUserFolder(folder, QString::fromUtf8(kInstalledHelpDocument)))
        QDir::setCurrent(folder);
}

void EnterExistingWorkingFolder() {
    const QString folder = UserFolderToEnter(ThisProcessStart(), InstalledBinFolder());
    if (!folder.isEmpty() && QFileInfo(folder).isDir()) QDir::setCurrent(folder);
}

bool IsInstalledProgram() { return IsInstalledProgram(ThisProcessStart(), InstalledBinFolder()); }

QString LauncherFolder() {
    const StartLocation start = ThisProcessStart();
    const QString installedBinFolder = InstalledBinFolder();
    const QString folder = LauncherFolderFor(start, installedBinFolder);
    if (IsInstalledProgram(start, installedBinFolder))
        PrepareUserFolder(folder, QString::fromUtf8(kInstalledHelpDocument));
    return folder;
}
