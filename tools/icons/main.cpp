#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <cstdio>

#include "resources/FrameResources.h"

// lumora-icons FOLDER SIZE...: writes the frame's icon as FOLDER/<SIZE>x<SIZE>/apps/lumora.png,
// the layout of an icon theme.
int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 3) {
        std::fprintf(stderr, "Usage: lumora-icons FOLDER SIZE...\n");
        return 64;
    }
    for (const QString &argument : arguments.mid(2)) {
        bool isNumber = false;
        const int size = argument.toInt(&isNumber);
        const QString folder =
            QStringLiteral("%1/%2x%2/apps").arg(arguments[1], QString::number(size));
        if (!isNumber || size <= 0 || !QDir().mkpath(folder) ||
            !FrameIconImage(size).save(folder + QStringLiteral("/lumora.png"))) {
            std::fprintf(stderr, "lumora-icons: cannot write the %s pixel icon\n",
                         argument.toUtf8().constData());
            return 1;
        }
    }
    return 0;
}
