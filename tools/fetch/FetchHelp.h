#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringView>

// Columns on a terminal: most characters take one, CJK characters two.
int DisplayWidth(QStringView text);

// One line per option, "  -h, --help  说明" or "  --root <文件夹>  说明", the descriptions all
// starting at one terminal column.
QString OptionLines(const QList<QCommandLineOption> &options);

// Rows of two columns, the second aligned likewise; each row indented by two spaces.
QString AlignedRows(const QList<std::pair<QString, QString>> &rows);
