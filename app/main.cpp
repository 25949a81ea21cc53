#include <curl/curl.h>

#include <QApplication>
#include <QLoggingCategory>
#include <optional>

#include "app/AcceleratorFilter.h"
#include "app/FrameEnvironment.h"
#include "app/MainFrame.h"
#include "app/NoticeDialog.h"
#include "app/StartupGuard.h"
#include "app/TerminationSignal.h"
#include "platform/QtPrompter.h"
#include "platform/QtTranslations.h"
#include "platform/TransferShutdown.h"
#include "platform/WorkingFolder.h"

// The command line is ignored, Qt's own options aside. A normal close ends with exit code 1;
// a frame that cannot be created ends with 0.
int main(int argc, char *argv[]) {
    curl_global_init(CURL_GLOBAL_DEFAULT);               // once, before any worker or update thread
    std::optional<StartupGuard> startup(std::in_place);  // no display: exit code 0, not an abort
    QApplication app(argc, argv);
    startup.reset();
    // A photo whose colour profile cannot be read is shown as stored, without a word.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.icc.warning=false"));
    app.setQuitOnLastWindowClosed(false);
    LoadQtTranslations();
    EnterWorkingFolder();  // the installed program started from a menu works in its per-user folder

    QtPrompter prompter(RunNoticeDialog);
    MainFrame frame(FrameEnvironment::Real(&prompter));
    AcceleratorFilter accelerators(&frame);
    app.installEventFilter(&accelerators);
    QObject::connect(&frame, &MainFrame::closed, &app, [] { QCoreApplication::exit(1); });
    CloseOnTerminationSignal(&frame);

    if (!frame.Create()) {
        ReportNoMainWindow("its creation failed");
        return 0;
    }
    frame.show();
    const int exitCode = app.exec();
    // Workers still fetching: end here, before the frame, Qt and libcurl are torn down under them.
    if (TransfersRunning()) EndProcessDuringTransfers(exitCode);
    return exitCode;
}
