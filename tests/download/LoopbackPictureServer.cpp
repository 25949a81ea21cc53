#include "LoopbackPictureServer.h"

#include <httplib.h>

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <algorithm>
#include <cctype>
#include <chrono>
#include <future>

QByteArray JpegOfSize(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(qRgb(40, 120, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPG");
    return bytes;
}

QStringList UnfinishedFilesIn(const QString &folder) {
    return QDir(folder).entryList({QStringLiteral(".lumora-*.part")}, QDir::Files | QDir::Hidden);
}

LoopbackPictureServer::LoopbackPictureServer(std::function<void(httplib::Server &)> moreRoutes)
    : server_(std::make_unique<httplib::Server>()) {
    server_->Get(".*", [this](const httplib::Request &request, httplib::Response &response) {
        Resource resource;
        {
            std::lock_guard lock(mutex_);
            Request seen{request.path, {}, request.remote_port};
            for (const auto &[name, value] : request.headers) {
                std::string lower = name;
                std::transform(lower.begin(), lower.end(), lower.begin(),
                               [](unsigned char c) { return std::tolower(c); });
                seen.headers[lower] = value;
            }
            requests_.push_back(std::move(seen));
            const auto found = resources_.find(request.path);
            if (found == resources_.end()) {
                response.status = 404;
                response.set_content("<html><body>404 Not Found</body></html>", "text/html");
                return;
            }
            resource = found->second;
        }
        response.status = resource.status;
        if (resource.endless) {
            response.set_chunked_content_provider(
                resource.contentType, [this](std::size_t, httplib::DataSink &sink) {
                    static const std::string chunk(64 * 1024, 'x');
                    return !stopping_ && sink.write(chunk.data(), chunk.size());
                });
            return;
        }
        if (resource.cutOffAfter == 0) {
            response.set_content(resource.body.toStdString(), resource.contentType);
            return;
        }
        const std::string body = resource.body.toStdString();
        const std::size_t sent = std::min(resource.cutOffAfter, body.size());
        const bool stall = resource.stallAfterCut;
        response.set_content_provider(
            body.size(), resource.contentType,
            [this, body, sent, stall](std::size_t offset, std::size_t, httplib::DataSink &sink) {
                if (offset < sent) {
                    sink.write(body.data() + offset, sent - offset);
                    return true;
                }
                if (stall && released_ && offset < body.size()) {
                    sink.write(body.data() + offset, body.size() - offset);
                    return true;
                }
                if (!stall || stopping_) return false;  // false breaks the connection
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                return true;
            });
    });
    if (moreRoutes) moreRoutes(*server_);
    // Returns only once the server's workers exist. QProcess starts a child in this process's
    // address space, where ThreadSanitizer takes it for a fork of a threaded process; a thread
    // started after that would end the test.
    auto pooled = std::make_shared<std::promise<void>>();
    server_->new_task_queue = [pooled] {
        auto *pool = new httplib::ThreadPool(CPPHTTPLIB_THREAD_POOL_COUNT);
        pooled->set_value();
        return pool;
    };
    port_ = server_->bind_to_any_port("127.0.0.1");
    if (port_ <= 0) return;
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    pooled->get_future().wait();
}

LoopbackPictureServer::~LoopbackPictureServer() {
    stopping_ = true;
    if (!thread_.joinable()) return;
    server_->stop();  // it is listening: its workers exist
    thread_.join();
}

void LoopbackPictureServer::Put(const std::string &path, const QByteArray &body, int status,
                                const std::string &contentType) {
    std::lock_guard lock(mutex_);
    resources_[path] = Resource{body, status, contentType, 0, false, false};
}

void LoopbackPictureServer::PutCutOff(const std::string &path, const QByteArray &body,
                                      std::size_t sentBytes) {
    std::lock_guard lock(mutex_);
    resources_[path] = Resource{body, 200, "image/jpeg", sentBytes, false, false};
}

void LoopbackPictureServer::PutStalled(const std::string &path, const QByteArray &body,
                                       std::size_t sentBytes) {
    std::lock_guard lock(mutex_);
    resources_[path] = Resource{body, 200, "image/jpeg", sentBytes, true, false};
}

void LoopbackPictureServer::ReleaseStalled() { released_ = true; }

void LoopbackPictureServer::PutEndless(const std::string &path) {
    std::lock_guard lock(mutex_);
    Resource endless;
    endless.contentType = "image/jpeg";
    endless.endless = true;
    resources_[path] = endless;
}

std::string LoopbackPictureServer::host() const { return "127.0.0.1:" + std::to_string(port_); }

std::vector<LoopbackPictureServer::Request> LoopbackPictureServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<std::string> LoopbackPictureServer::requestedPaths() const {
    std::vector<std::string> paths;
    for (const Request &request : requests()) paths.push_back(request.path);
    return paths;
}
