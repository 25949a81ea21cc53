#include <httplib.h>

#include <QCommandLineParser>
#include <QGuiApplication>
#include <cstdio>

#include "DemoService.h"

// lumora-demo-service: a picture-list service on the loopback interface for trying Lumora out.
int main(int argc, char *argv[]) {
    // Drawing the pictures' texts needs a GUI application, but never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lumora-demo-service"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Serves today's picture list (SOAP operations delete and getVer), the pictures and the "
        "update files on 127.0.0.1, one log line per request."));
    parser.addHelpOption();
    const QCommandLineOption port("port", "Port to listen on; 0 picks a free one.", "port", "8580");
    const QCommandLineOption titles("titles", "Number of titles drawn.", "count", "4");
    const QCommandLineOption pictures("pictures", "Pictures of 400 x 400 pixels or more per title.",
                                      "count", "5");
    const QCommandLineOption small("small", "Too small pictures per title (clients reject them).",
                                   "count", "1");
    const QCommandLineOption folder(
        "folder", "Serve your own JPEGs instead: each sub-folder is a title.", "folder");
    const QCommandLineOption escaped("escaped",
                                     "Send the list as escaped text, not nested markup.");
    const QCommandLineOption latest("latest", "Latest version in the version list.", "version",
                                    "1.00");
    const QCommandLineOption updates("update-folder",
                                     "Files offered as the latest version's update.", "folder");
    parser.addOptions({port, titles, pictures, small, folder, escaped, latest, updates});
    parser.process(app);

    const auto number = [&parser](const QCommandLineOption &option, int lowest, int highest) {
        bool ok = false;
        const int value = parser.value(option).toInt(&ok);
        if (!ok || value < lowest || value > highest) {
            std::fprintf(stderr, "lumora-demo-service: --%s must be a number from %d to %d\n",
                         qPrintable(option.names().first()), lowest, highest);
            std::exit(2);
        }
        return value;
    };

    DemoOptions options;
    if (parser.isSet(folder)) {
        auto catalog = CatalogFromFolder(parser.value(folder));
        if (!catalog) {
            std::fprintf(stderr, "lumora-demo-service: no JPEG found in %s\n",
                         qPrintable(parser.value(folder)));
            return 2;
        }
        options.catalog = std::move(*catalog);
    } else {
        options.catalog = DrawnCatalog(
            {number(titles, 0, 1000), number(pictures, 0, 32767), number(small, 0, 32767)});
    }
    options.form = parser.isSet(escaped) ? ListForm::Escaped : ListForm::Nested;
    options.latestVersion = parser.value(latest).toStdString();
    options.updateFolder = parser.value(updates);

    httplib::Server server;
    const int wanted = number(port, 0, 65535);
    int actual = wanted;
    if (wanted == 0)
        actual = server.bind_to_any_port("127.0.0.1");
    else if (!server.bind_to_port("127.0.0.1", wanted))
        actual = -1;
    if (actual <= 0) {
        std::fprintf(stderr, "lumora-demo-service: cannot listen on 127.0.0.1:%d\n", wanted);
        return 1;
    }
    options.fallbackHost = "127.0.0.1:" + std::to_string(actual);

    std::size_t total = 0;
    for (const DemoTitle &title : options.catalog) total += title.pictures.size();
    DemoService service(std::move(options));
    service.Install(server);
    std::printf(
        "lumora-demo-service: listening on http://127.0.0.1:%d/services/webservice "
        "(%zu pictures)\n",
        actual, total);
    std::fflush(stdout);
    return server.listen_after_bind() ? 0 : 1;
}
