#include "app/StartupGuard.h"

#include <QString>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// The context's strings are static; only the text needs a copy.
struct HeldMessage {
    QtMsgType type;
    const char *file;
    int line;
    const char *function;
    const char *category;
    QString text;
};

QtMessageHandler g_previous = nullptr;
std::vector<HeldMessage> *g_held = nullptr;

void HoldOrEnd(QtMsgType type, const QMessageLogContext &context, const QString &text) {
    if (type != QtFatalMsg) {
        g_held->push_back(
            {type, context.file, context.line, context.function, context.category, text});
        return;
    }
    // The first warning names the cause ("could not connect to display"); the fatal text only
    // adds advice.
    QString reason = text.section(u'\n', 0, 0);
    for (const HeldMessage &held : *g_held)
        if (held.type == QtWarningMsg || held.type == QtCriticalMsg) {
            reason = held.text.section(u'\n', 0, 0);
            break;
        }
    ReportNoMainWindow(reason.toLocal8Bit().constData());
    std::_Exit(0);
}

}  // namespace

StartupGuard::StartupGuard() {
    g_held = new std::vector<HeldMessage>;
    g_previous = qInstallMessageHandler(HoldOrEnd);
}

StartupGuard::~StartupGuard() {
    qInstallMessageHandler(g_previous);
    for (const HeldMessage &held : *g_held) {
        const QMessageLogContext context(held.file, held.line, held.function, held.category);
        qt_message_output(held.type, context, held.text);
    }
    delete g_held;
    g_held = nullptr;
}

void ReportNoMainWindow(const char *reason) {
    std::fprintf(stderr, "lumora: the main window cannot be opened: %s\n", reason);
    std::fflush(stderr);
}
