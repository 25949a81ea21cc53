#include "FetchHelp.h"

#include <locale.h>

#include <algorithm>
#include <clocale>
#include <cwchar>

int DisplayWidth(QStringView text) {
    // wcwidth knows the wide characters only under a UTF-8 locale, whichever the user runs.
    static const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr));
    const locale_t previous = utf8 ? ::uselocale(utf8) : locale_t(nullptr);
    int width = 0;
    for (const char32_t character : text.toUcs4()) {
        const int columns = ::wcwidth(static_cast<wchar_t>(character));
        width += columns < 0 ? 1 : columns;
    }
    if (utf8) ::uselocale(previous);
    return width;
}

QString AlignedRows(const QList<std::pair<QString, QString>> &rows) {
    int widest = 0;
    for (const auto &row : rows) widest = std::max(widest, DisplayWidth(row.first));
    QString lines;
    for (const auto &[left, right] : rows)
        lines += QStringLiteral("  ") + left + QString(widest - DisplayWidth(left) + 2, u' ') +
                 right + u'\n';
    return lines;
}

QString OptionLines(const QList<QCommandLineOption> &options) {
    QList<std::pair<QString, QString>> rows;
    for (const QCommandLineOption &option : options) {
        QStringList names;
        for (const QString &name : option.names())
            names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
        QString left = names.join(QStringLiteral(", "));
        if (!option.valueName().isEmpty()) left += QStringLiteral(" <%1>").arg(option.valueName());
        rows.append({left, option.description()});
    }
    return AlignedRows(rows);
}
