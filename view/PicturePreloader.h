#pragma once

#include <QSize>
#include <QString>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "view/ViewPicture.h"

// Decodes the pictures beside the shown one on a worker thread, so that a step onto one of them
// shows it without decoding. It holds at most the shown picture and its two neighbours. A held
// copy whose file changed or vanished since it was decoded is never handed out.
class PicturePreloader {
public:
    PicturePreloader();
    ~PicturePreloader();
    PicturePreloader(const PicturePreloader &) = delete;
    PicturePreloader &operator=(const PicturePreloader &) = delete;

    // The held picture of `path` when its file is still the one decoded; a decode of it under
    // way is waited for, since it started before any decode this caller could start now.
    std::optional<ViewPicture> Take(const QString &path);
    // `shown` is on screen now as `picture` (null image: it did not decode); keeps it, decodes
    // `previous` and `next` (either may be empty) and drops everything else. A picture of which
    // only a part is shown is decoded whole first.
    void Keep(const QString &shown, const ViewPicture &picture, const QString &previous,
              const QString &next);
    // Called on the worker thread with the path of each picture it decoded.
    void SetDecodedCallback(std::function<void(const QString &)> decoded);
    // Pictures decoded from now on are also made ready fitted to a pane of `devicePixels`
    // (empty: not fitted).
    void SetFitPane(QSize devicePixels);
    // Drops every held picture: the folder was refreshed.
    void Forget();
    // Waits until no decode is queued or under way.
    void WaitIdle();

private:
    struct Entry {
        quint64 id = 0;  // tells a decode's result for a dropped entry from one for its successor
        bool ready = false;
        ViewPicture picture;
    };

    void Run();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<QString, Entry> entries_;
    std::deque<QString> queue_;
    QString decoding_;  // the path being decoded now, or empty
    // Dropped pictures, freed on the worker: unmapping a photo's pixels takes milliseconds.
    std::vector<ViewPicture> discarded_;
    QSize fitPane_;
    std::function<void(const QString &)> decoded_;
    quint64 nextId_ = 1;
    bool stopping_ = false;
    std::thread worker_;
};
