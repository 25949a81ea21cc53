#include "platform/DesktopLauncher.h"

#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

#include "platform/DirectoryListing.h"

namespace {

// Exec values quote every argument and escape the characters the desktop-entry format reserves.
QString QuotedExec(const QString &path) {
    QString quoted;
    for (QChar c : path) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') quoted += u'\\';
        quoted += c;
    }
    return u'"' + quoted.replace(u'%', QStringLiteral("%%")) + u'"';
}

QString EscapedValue(const QString &value) {
    QString escaped = value;
    escaped.replace(u'\\', QStringLiteral("\\\\")).replace(u'\n', QStringLiteral("\\n"));
    return escaped;
}

}  // namespace

QString DesktopFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

bool CreateDesktopLauncher(const QString &programPath, const QString &desktopFolder,
                           const QString &workingFolder) {
    if (desktopFolder.isEmpty() || programPath.isEmpty()) return false;
    QSaveFile file(JoinPath(desktopFolder, QString::fromLatin1(kLauncherFileName)));
    if (!file.open(QIODevice::WriteOnly)) return false;
    const QString text =
        QStringLiteral(
            "[Desktop Entry]\n"
            "Type=Application\n"
            "Name=Lumora1.00\n"
            "Exec=%1\n"
            "Path=%2\n"
            "Terminal=false\n")
            .arg(EscapedValue(QuotedExec(programPath)),
                 EscapedValue(workingFolder.isEmpty() ? FolderOf(programPath) : workingFolder));
    file.write(text.toUtf8());
    if (!file.commit()) return false;
    QFile launcher(file.fileName());
    return launcher.setPermissions(launcher.permissions() | QFile::ExeOwner | QFile::ExeUser |
                                   QFile::ExeGroup | QFile::ExeOther);
}
