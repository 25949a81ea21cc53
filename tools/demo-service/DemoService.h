#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "DemoAnswers.h"
#include "DemoCatalog.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

struct DemoOptions {
    DemoCatalog catalog;
    ListForm form = ListForm::Nested;
    std::string latestVersion = "1.00";  // entry 0 of the version list
    QString updateFolder;  // files offered below "/version/"; empty: a note and a harmless move.sh
    std::string fallbackHost;             // names the service when a request has no usable Host
    std::function<std::string()> dayKey;  // today's key; DayKey() when empty
};

// The demo picture-list service: "delete" and "getVer" at /services/webservice, the pictures
// below /pictures/<title number>/, update files below /version/<latest version>/. Logs one line
// per request on standard output.
class DemoService {
public:
    explicit DemoService(DemoOptions options);

    void Install(httplib::Server &server);

    // The answer to getVer: the latest version, then the update's file names.
    std::vector<std::string> VersionList() const;

private:
    void AnswerSoap(const httplib::Request &request, httplib::Response &response);
    void ServePicture(const httplib::Request &request, httplib::Response &response);
    void ServeUpdateFile(const httplib::Request &request, httplib::Response &response);
    QByteArray PictureBytes(std::size_t title, std::size_t picture);

    DemoOptions options_;
    std::map<std::string, QByteArray> updateFiles_;  // by file name
    std::mutex cacheMutex_;
    std::map<std::pair<std::size_t, std::size_t>, QByteArray> pictureCache_;
};
