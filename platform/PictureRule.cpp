#include "platform/PictureRule.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QImageReader>
#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "platform/FileNames.h"

namespace {

constexpr qint64 kGifHeadBytes = 256 * 1024;
constexpr qint64 kScanWindowBytes = 64 * 1024;

// Qt's default limit refuses large photos; the header check still refuses decompression bombs.
void RaiseImageReaderLimit() {
    static const bool raised = [] {
        QImageReader::setAllocationLimit(static_cast<int>(kMaxDecodedPictureBytes >> 20));
        return true;
    }();
    (void)raised;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Opens a regular file for reading; -1 for anything else. Nothing else is even opened (opening a
// FIFO would wake a writer); O_NONBLOCK keeps the open from waiting should the file have been
// replaced by one meanwhile, and is cleared again before anything is read.
FileStamp StampFrom(const struct stat &info) {
    FileStamp stamp;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    stamp.changedNs = qint64(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
    return stamp;
}

int OpenRegularFile(const QString &path, FileStamp *stamp) {
    const QByteArray native = EncodeFileName(path);
    struct stat before {};
    if (::stat(native.constData(), &before) != 0 || !S_ISREG(before.st_mode)) return -1;
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    *stamp = StampFrom(info);
    return fd;
}

QByteArray ReadHead(int fd, qint64 size) {
    QByteArray head(static_cast<qsizetype>(std::min(size, kGifHeadBytes)), Qt::Uninitialized);
    const ssize_t got = ::pread(fd, head.data(), static_cast<size_t>(head.size()), 0);
    head.resize(got > 0 ? got : 0);
    return head;
}

// Bytes of a buffer in memory.
class MemoryBytes {
public:
    MemoryBytes(const uchar *data, qint64 size) : data_(data), size_(size) {}
    qint64 size() const { return size_; }
    uchar At(qint64 at) { return data_[at]; }
    // Position of the first 0xFF at or after `from`, or -1.
    qint64 FindFF(qint64 from) {
        const void *found = memchr(data_ + from, 0xFF, size_t(size_ - from));
        return found ? static_cast<const uchar *>(found) - data_ : -1;
    }

private:
    const uchar *data_;
    qint64 size_;
};

// Bytes of a file, read through one small window; a failed read ends the scan as incomplete.
class FileBytes {
public:
    FileBytes(int fd, qint64 size) : fd_(fd), size_(size), window_(kScanWindowBytes, 0) {}
    qint64 size() const { return size_; }
    uchar At(qint64 at) { return Load(at) ? window_[at - start_] : 0; }
    qint64 FindFF(qint64 from) {
        for (; from < size_; from = start_ + length_) {
            if (!Load(from)) return -1;
            const uchar *base = window_.data();
            const void *found = memchr(base + (from - start_), 0xFF, size_t(start_ + length_ - from));
            if (found) return start_ + (static_cast<const uchar *>(found) - base);
        }
        return -1;
    }

private:
    bool Load(qint64 at) {
        if (at >= start_ && at < start_ + length_) return true;
        const ssize_t got = ::pread(fd_, window_.data(), window_.size(), at);
        start_ = at;
        length_ = got > 0 ? got : 0;
        return length_ > 0;
    }

    int fd_;
    qint64 size_;
    std::vector<uchar> window_;
    qint64 start_ = 0;
    qint64 length_ = 0;
};

// Marker segments are skipped by their length (an embedded thumbnail has its own end marker); in
// entropy-coded data 0xFF is followed only by a stuffed 0x00, a restart marker or the next marker.
template <typename Bytes>
bool ReachesEndMarker(Bytes &bytes) {
    const qint64 size = bytes.size();
    qint64 at = 2;  // after the start-of-image marker
    bool inScan = false;
    while (at + 1 < size) {
        if (inScan) {
            at = bytes.FindFF(at);
            if (at < 0 || at + 1 >= size) return false;
            const uchar next = bytes.At(at + 1);
            if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
                at += 2;
                continue;
            }
            if (next == 0xFF) {
                ++at;
                continue;
            }
            inScan = false;
        }
        if (bytes.At(at) != 0xFF) return false;
        const uchar marker = bytes.At(at + 1);
        if (marker == 0xFF) {  // fill byte before a marker
            ++at;
            continue;
        }
        if (marker == 0xD9) return true;
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            at += 2;
            continue;
        }
        if (at + 3 >= size) return false;
        const qint64 length = (qint64(bytes.At(at + 2)) << 8) | bytes.At(at + 3);
        if (length < 2) return false;
        at += 2 + length;
        inScan = marker == 0xDA;
    }
    return false;
}

}  // namespace

bool IsAcceptablePictureSize(const QSize &size) {
    if (!size.isValid() || size.isEmpty()) return false;
    if (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide) return false;
    return qint64(size.width()) * size.height() * 4 <= kMaxDecodedPictureBytes;
}

std::optional<FileStamp> StampOf(const QString &path) {
    struct stat info {};
    if (::stat(EncodeFileName(path).constData(), &info) != 0) return std::nullopt;
    return StampFrom(info);
}

DecodedPicture DecodePictureFile(const QString &path, DecodeScale scale) {
    RaiseImageReaderLimit();
    DecodedPicture picture;
    FileStamp stamp;
    const Descriptor fd(OpenRegularFile(path, &stamp));
    const qint64 size = stamp.size;
    if (fd.get() < 0 || size == 0 || size > kMaxPictureFileBytes) return picture;
    QFile file;
    if (!file.open(fd.get(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) return picture;

    QImageReader reader(&file);
    reader.setAutoTransform(false);
    const QSize announced = reader.size();
    // Refuse what the header announces as too big before anything is allocated for it.
    if (announced.isValid() && !IsAcceptablePictureSize(announced)) return picture;
    const QByteArray format = reader.format();
    if (scale == DecodeScale::JpegEighth && format == "jpeg" && announced.isValid())
        reader.setScaledSize(QSize((announced.width() + 7) / 8, (announced.height() + 7) / 8));
    QImage image;
    try {
        if (!reader.read(&image)) return picture;
    } catch (const std::bad_alloc &) {
        return picture;
    }
    const QSize natural = announced.isValid() ? announced : image.size();
    if (!IsAcceptablePictureSize(natural)) return picture;

    picture.image = std::move(image);
    picture.naturalSize = natural;
    picture.format = format;
    picture.stamp = stamp;
    if (format == "gif") picture.head = ReadHead(fd.get(), size);
    return picture;
}

bool JpegIsComplete(const uchar *data, qint64 size) {
    MemoryBytes bytes(data, size);
    return ReachesEndMarker(bytes);
}

bool JpegFileIsComplete(const QString &path) {
    FileStamp stamp;
    const Descriptor fd(OpenRegularFile(path, &stamp));
    if (fd.get() < 0) return false;
    FileBytes bytes(fd.get(), stamp.size);
    return ReachesEndMarker(bytes);
}
