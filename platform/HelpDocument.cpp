#include "platform/HelpDocument.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

void OpenHelpDocument() {
    const QFileInfo help(QDir::current(), QStringLiteral("help.html"));
    if (!help.isFile()) return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(help.absoluteFilePath()));
}
