#include "DemoService.h"

#include <httplib.h>

#include <QDir>
#include <QFile>
#include <cstdio>

#include "PictureArt.h"
#include "service/LinkDescrambling.h"

namespace {

constexpr char kServicePath[] = "/services/webservice";
constexpr char kXmlType[] = "text/xml; charset=utf-8";

QByteArray ReadFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The operation a SOAP request asks for, from the element in its body.
std::string OperationOf(const std::string &body) {
    const std::size_t bodyStart = body.find("Body");
    const std::string rest = bodyStart == std::string::npos ? body : body.substr(bodyStart);
    if (rest.find(":getVer") != std::string::npos || rest.find("<getVer") != std::string::npos)
        return "getVer";
    if (rest.find(":delete") != std::string::npos || rest.find("<delete") != std::string::npos)
        return "delete";
    return std::string();
}

std::string DefaultMoveScript(const std::string &version) {
    return "#!/bin/sh\n"
           "# Demo update " +
           version +
           ": the new files are in \"$2\"; nothing is installed.\n"
           "echo \"Lumora demo update " +
           version + " fetched into $2\" >&2\n";
}

}  // namespace

DemoService::DemoService(DemoOptions options) : options_(std::move(options)) {
    if (!options_.dayKey) options_.dayKey = [] { return DayKey(); };
    if (options_.updateFolder.isEmpty()) {
        updateFiles_["move.sh"] =
            QByteArray::fromStdString(DefaultMoveScript(options_.latestVersion));
        updateFiles_["readme.txt"] = QByteArray::fromStdString(
            "Lumora " + options_.latestVersion + " (demo update, no program files)\n");
        return;
    }
    const QDir folder(options_.updateFolder);
    for (const QFileInfo &file : folder.entryInfoList(QDir::Files, QDir::Name))
        updateFiles_[file.fileName().toStdString()] = ReadFile(file.absoluteFilePath());
}

std::vector<std::string> DemoService::VersionList() const {
    std::vector<std::string> versions{options_.latestVersion};
    for (const auto &[name, bytes] : updateFiles_) versions.push_back(name);
    return versions;
}

void DemoService::Install(httplib::Server &server) {
    // One request per connection, as Lumora's transfers do: a client that keeps its connection
    // open would otherwise wait tens of milliseconds before each further request is served.
    server.set_keep_alive_max_count(1);
    server.Post(kServicePath, [this](const httplib::Request &request, httplib::Response &response) {
        AnswerSoap(request, response);
    });
    server.Get(R"(/pictures/(\d+)/([^/]+))",
               [this](const httplib::Request &request, httplib::Response &response) {
                   ServePicture(request, response);
               });
    server.Get(R"(/version/([^/]+)/([^/]+))",
               [this](const httplib::Request &request, httplib::Response &response) {
                   ServeUpdateFile(request, response);
               });
    server.set_logger([](const httplib::Request &request, const httplib::Response &response) {
        std::string what = request.method + " " + request.path;
        if (request.path == kServicePath) {
            const std::string operation = OperationOf(request.body);
            what += " (" + (operation.empty() ? std::string("unknown operation") : operation) + ")";
        }
        std::printf("%s -> %d, %zu bytes\n", what.c_str(), response.status, response.body.size());
        std::fflush(stdout);
    });
}

void DemoService::AnswerSoap(const httplib::Request &request, httplib::Response &response) {
    const std::string operation = OperationOf(request.body);
    if (operation == "getVer") {
        response.set_content(GetVerResponseEnvelope(VersionList()), kXmlType);
        return;
    }
    if (operation != "delete") {
        response.status = 500;
        response.set_content(FaultEnvelope("unknown operation"), kXmlType);
        return;
    }
    // Clients fetch the pictures from the address they reached the service at.
    std::optional<std::vector<ListEntry>> entries;
    const std::string key = options_.dayKey();
    if (const std::string host = request.get_header_value("Host"); !host.empty())
        entries = PictureListEntries(options_.catalog, host, key);
    if (!entries) entries = PictureListEntries(options_.catalog, options_.fallbackHost, key);
    if (!entries) {
        response.status = 500;
        response.set_content(FaultEnvelope("the list cannot be scrambled"), kXmlType);
        return;
    }
    response.set_content(DeleteResponseEnvelope(*entries, options_.form), kXmlType);
}

void DemoService::ServePicture(const httplib::Request &request, httplib::Response &response) {
    const std::string digits = request.matches[1].str();
    const std::size_t group = digits.size() <= 6 ? std::stoul(digits) : 0;
    const std::string name = request.matches[2].str();
    if (group >= 1 && group <= options_.catalog.size()) {
        const auto &pictures = options_.catalog[group - 1].pictures;
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            if (pictures[i].fileName != name) continue;
            const QByteArray bytes = PictureBytes(group - 1, i);
            response.set_content(bytes.constData(), static_cast<std::size_t>(bytes.size()),
                                 "image/jpeg");
            return;
        }
    }
    response.status = 404;
    response.set_content("<html><body><h1>404 Not Found</h1></body></html>", "text/html");
}

void DemoService::ServeUpdateFile(const httplib::Request &request, httplib::Response &response) {
    const auto file = updateFiles_.find(request.matches[2].str());
    if (request.matches[1].str() != options_.latestVersion || file == updateFiles_.end()) {
        response.status = 404;
        response.set_content("<html><body><h1>404 Not Found</h1></body></html>", "text/html");
        return;
    }
    response.set_content(file->second.constData(), static_cast<std::size_t>(file->second.size()),
                         "application/octet-stream");
}

QByteArray DemoService::PictureBytes(std::size_t title, std::size_t picture) {
    const DemoPicture &source = options_.catalog[title].pictures[picture];
    if (!source.sourcePath.isEmpty())
        return ReadFile(source.sourcePath);  // the user's file as it is
    // One drawing at a time: text rendering reaches font libraries that share state between
    // threads. Each picture is drawn once.
    std::lock_guard lock(cacheMutex_);
    if (const auto cached = pictureCache_.find({title, picture}); cached != pictureCache_.end())
        return cached->second;
    const QByteArray bytes = DrawDemoPicture(
        options_.catalog[title].title, static_cast<int>(picture) + 1, source.width, source.height);
    pictureCache_[{title, picture}] = bytes;
    return bytes;
}
