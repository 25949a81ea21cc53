#include "LoopbackPictureServer.h"

#include <httplib.h>

#include <QBuffer>
#include <QImage>
#include <algorithm>
#include <cctype>
#include <chrono>

QByteArray JpegOfSize(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(qRgb(40, 120, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPG");
    return bytes;
}

LoopbackPictureServer::LoopbackPictureServer() : server_(std::make_unique<httplib::Server>()) {
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
    port_ = server_->bind_to_any_port("127.0.0.1");
    if (port_ > 0) thread_ = std::thread([this] { server_->listen_after_bind(); });
}

LoopbackPictureServer::~LoopbackPictureServer() {
    stopping_ = true;
    if (!thread_.joinable()) return;
    // stop() only reaches a server that is listening already.
    while (!server_->is_running()) std::this_thread::yield();
    server_->stop();
    thread_.join();
}

void LoopbackPictureServer::Put(const std::string &path, const QByteArray &body, int status,
                                const std::string &contentType) {
    std::lock_guard lock(mutex_);
    resources_[path] = Resource{body, status, contentType, 0, false};
}

void LoopbackPictureServer::PutCutOff(const std::string &path, const QByteArray &body,
                                      std::size_t sentBytes) {
    std::lock_guard lock(mutex_);
    resources_[path] = Resource{body, 200, "image/jpeg", sentBytes, false};
}

void LoopbackPictureServer::PutStalled(const std::string &path, const QByteArray &body,
                                       std::size_t sentBytes) {
    std::lock_guard lock(mutex_);
    resources_[path] = Resource{body, 200, "image/jpeg", sentBytes, true};
}

void LoopbackPictureServer::ReleaseStalled() { released_ = true; }

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
