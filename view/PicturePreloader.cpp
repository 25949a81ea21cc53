#include "view/PicturePreloader.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

namespace {

constexpr int kWorkerNiceness = 10;

}  // namespace

PicturePreloader::PicturePreloader() : worker_([this] { Run(); }) {}

PicturePreloader::~PicturePreloader() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

std::optional<ViewPicture> PicturePreloader::Take(const QString &path) {
    ViewPicture picture;
    {
        std::unique_lock lock(mutex_);
        auto found = entries_.find(path);
        if (found == entries_.end()) return std::nullopt;
        if (!found->second.ready && decoding_ != path) {
            // Still queued: decoding it here is sooner than waiting for the worker.
            queue_.erase(std::remove(queue_.begin(), queue_.end(), path), queue_.end());
            entries_.erase(found);
            return std::nullopt;
        }
        const quint64 id = found->second.id;
        changed_.wait(lock, [&] {
            found = entries_.find(path);
            return found == entries_.end() || found->second.id != id || found->second.ready;
        });
        if (found == entries_.end() || found->second.id != id) return std::nullopt;
        picture = found->second.picture;
    }
    if (picture.isNull() || StampOf(path) != picture.stamp) return std::nullopt;
    return picture;
}

void PicturePreloader::Keep(const QString &shown, const ViewPicture &picture,
                            const QString &previous, const QString &next) {
    {
        std::lock_guard lock(mutex_);
        for (auto entry = entries_.begin(); entry != entries_.end();) {
            const QString &path = entry->first;
            if (path == shown || path == previous || path == next) {
                ++entry;
                continue;
            }
            discarded_.push_back(std::move(entry->second.picture));
            entry = entries_.erase(entry);
        }
        queue_.clear();
        if (!shown.isEmpty() && picture.part.isNull()) {
            entries_[shown] = Entry{nextId_++, true, picture};
        } else if (!shown.isEmpty()) {  // the whole of it, before anything else
            const auto held = entries_.find(shown);
            if (held == entries_.end()) entries_[shown] = Entry{nextId_++, false, {}};
            if (held == entries_.end() || (!held->second.ready && decoding_ != shown))
                queue_.push_back(shown);
        }
        // Forward steps are the common ones: the next picture goes first. One kept from before
        // is queued again unless it is decoded or being decoded.
        for (const QString &path : {next, previous}) {
            if (path.isEmpty() || path == shown) continue;
            const auto held = entries_.find(path);
            if (held == entries_.end())
                entries_[path] = Entry{nextId_++, false, {}};
            else if (held->second.ready || decoding_ == path)
                continue;
            queue_.push_back(path);
        }
    }
    changed_.notify_all();
}

void PicturePreloader::SetDecodedCallback(std::function<void(const QString &)> decoded) {
    std::lock_guard lock(mutex_);
    decoded_ = std::move(decoded);
}

void PicturePreloader::SetFitPane(QSize devicePixels) {
    std::lock_guard lock(mutex_);
    fitPane_ = devicePixels;
}

void PicturePreloader::Forget() {
    {
        std::lock_guard lock(mutex_);
        for (auto &[path, entry] : entries_) discarded_.push_back(std::move(entry.picture));
        entries_.clear();
        queue_.clear();
    }
    changed_.notify_all();
}

void PicturePreloader::WaitIdle() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock,
                  [this] { return queue_.empty() && decoding_.isEmpty() && discarded_.empty(); });
}

void PicturePreloader::Run() {
    // Decoding ahead yields to the window and the display server, which paint the shown picture.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kWorkerNiceness);
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !queue_.empty() || !discarded_.empty(); });
        if (stopping_) return;
        if (!discarded_.empty()) {
            std::vector<ViewPicture> freed;
            freed.swap(discarded_);
            lock.unlock();
            freed.clear();
            lock.lock();
            changed_.notify_all();
            continue;
        }
        const QString path = queue_.front();
        queue_.pop_front();
        const auto entry = entries_.find(path);
        if (entry == entries_.end()) continue;
        const quint64 id = entry->second.id;
        const QSize pane = fitPane_;
        decoding_ = path;
        lock.unlock();
        ViewPicture picture = DecodeViewPicture(path, pane);
        lock.lock();
        decoding_.clear();
        const auto now = entries_.find(path);
        if (now != entries_.end() && now->second.id == id) {
            now->second.ready = true;
            now->second.picture = std::move(picture);
        }
        changed_.notify_all();
        if (decoded_) {
            const std::function<void(const QString &)> decoded = decoded_;
            lock.unlock();
            decoded(path);
            lock.lock();
        }
    }
}
