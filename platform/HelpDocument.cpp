#include "platform/HelpDocument.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <cstdio>

void OpenHelpDocument() {
    const QFileInfo help(QDir::current(), QStringLiteral("help.html"));
    if (!help.isFile()) return;
    const QString path = help.absoluteFilePath();
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path))) return;
    // Without a desktop handler (xdg-open) nothing shows; the terminal at least says where it is.
    std::fprintf(stderr, "lumora: 没有能打开说明文档的程序（请安装 xdg-utils）：%s\n",
                 path.toLocal8Bit().constData());
    std::fflush(stderr);
}
