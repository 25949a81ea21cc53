#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

// JPEG bytes of a plain picture of the given size.
QByteArray JpegOfSize(int width, int height);

// Names of the unfinished files that transfers write in `folder`.
QStringList UnfinishedFilesIn(const QString &folder);

// An HTTP server on 127.0.0.1 (ephemeral port) that serves what a test put at a path and
// records every request it received.
class LoopbackPictureServer {
public:
    struct Request {
        std::string path;
        std::map<std::string, std::string> headers;  // lower-case names
        int remotePort = 0;
    };

    // `moreRoutes` adds routes of its own (a SOAP service, say) after the server's GET route.
    explicit LoopbackPictureServer(std::function<void(httplib::Server &)> moreRoutes = {});
    ~LoopbackPictureServer();

    // Serves `body` at `path` with `status`.
    void Put(const std::string &path, const QByteArray &body, int status = 200,
             const std::string &contentType = "image/jpeg");
    // Announces `body` at `path` but breaks the connection after its first `sentBytes` bytes.
    void PutCutOff(const std::string &path, const QByteArray &body, std::size_t sentBytes);

    // Announces `body` at `path`, sends its first `sentBytes` bytes and then holds the
    // connection open until the server stops.
    void PutStalled(const std::string &path, const QByteArray &body, std::size_t sentBytes);
    // Lets every stalled transfer send the rest of its body.
    void ReleaseStalled();
    // Streams data at `path` without end, in chunks, with no length announced.
    void PutEndless(const std::string &path);

    // "127.0.0.1:<port>", the host part of a remote address.
    std::string host() const;
    std::vector<Request> requests() const;
    std::vector<std::string> requestedPaths() const;

private:
    struct Resource {
        QByteArray body;
        int status = 200;
        std::string contentType;
        std::size_t cutOffAfter = 0;  // 0: sent whole
        bool stallAfterCut = false;   // hold the connection instead of breaking it
        bool endless = false;         // stream without end
    };

    std::unique_ptr<httplib::Server> server_;
    int port_ = 0;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> released_{false};
    mutable std::mutex mutex_;
    std::map<std::string, Resource> resources_;
    std::vector<Request> requests_;
};
