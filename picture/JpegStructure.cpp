#include "picture/JpegStructure.h"

#include <unistd.h>

#include <array>
#include <cstring>
#include <vector>

namespace {

constexpr qint64 kScanWindowBytes = 64 * 1024;
constexpr int kMaxDecoderSide = 65500;

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

// Bytes of a file, read through one small window; a failed read ends the walk as incomplete.
class FileBytes {
public:
    FileBytes(int fd, qint64 size) : fd_(fd), size_(size), window_(kScanWindowBytes, 0) {}
    qint64 size() const { return size_; }
    uchar At(qint64 at) { return Load(at) ? window_[at - start_] : 0; }
    qint64 FindFF(qint64 from) {
        for (; from < size_; from = start_ + length_) {
            if (!Load(from)) return -1;
            const uchar *base = window_.data();
            const void *found =
                memchr(base + (from - start_), 0xFF, size_t(start_ + length_ - from));
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

// Follows the marker segments of one file and keeps track of whether the decoder's every check
// is known to pass. Any doubt makes it not plain; it never decides that a file fails.
class BaselineCheck {
public:
    void Segment(uchar marker, const std::vector<uchar> &body) {
        if (marker >= 0xE0 && marker <= 0xEF) return;  // application data
        if (marker == 0xFE) return;                    // comment
        if (afterScan_) return Doubt();
        switch (marker) {
            case 0xDB:
                return QuantTables(body);
            case 0xC4:
                return HuffmanTables(body);
            case 0xC0:
            case 0xC1:
                return Frame(body);
            case 0xDA:
                return Scan(body);
            case 0xDD:
                return body.size() == 2 ? void() : Doubt();  // restart interval
            default:
                return Doubt();
        }
    }
    void ScanEnded() { afterScan_ = true; }
    void Doubt() { plain_ = false; }
    bool Plain() const { return plain_ && scanned_; }
    QSize FrameSize() const { return frameSize_; }
    // Whether the segment's body matters here (metadata is skipped unread).
    static bool Reads(uchar marker) {
        return !(marker >= 0xE0 && marker <= 0xEF) && marker != 0xFE;
    }

private:
    struct Component {
        int id, h, v, quantTable;
    };

    void QuantTables(const std::vector<uchar> &body) {
        for (size_t at = 0; at < body.size();) {
            const int precision = body[at] >> 4, table = body[at] & 15;
            const size_t entries = precision == 0 ? 64 : 128;
            if (precision > 1 || table > 3 || at + 1 + entries > body.size()) return Doubt();
            quant_[table] = true;
            at += 1 + entries;
        }
    }

    void HuffmanTables(const std::vector<uchar> &body) {
        for (size_t at = 0; at < body.size();) {
            const int tableClass = body[at] >> 4, table = body[at] & 15;
            if (tableClass > 1 || table > 3 || at + 17 > body.size()) return Doubt();
            size_t symbols = 0;
            unsigned code = 0;
            int longest = 0;
            for (int length = 1; length <= 16; ++length)
                if (body[at + length] != 0) longest = length;
            // Canonical codes must fit their lengths, and none may be all ones.
            for (int length = 1; length <= longest; ++length) {
                symbols += body[at + length];
                code += body[at + length];
                if (code >= (1u << length)) return Doubt();
                code <<= 1;
            }
            if (symbols > 256 || at + 17 + symbols > body.size()) return Doubt();
            for (size_t i = 0; tableClass == 0 && i < symbols; ++i)
                if (body[at + 17 + i] > 15) return Doubt();  // DC categories go up to 15
            (tableClass == 0 ? dc_ : ac_)[table] = true;
            at += 17 + symbols;
        }
    }

    void Frame(const std::vector<uchar> &body) {
        if (framed_ || body.size() < 6) return Doubt();
        const int height = (body[1] << 8) | body[2], width = (body[3] << 8) | body[4];
        const size_t count = body[5];
        if (body[0] != 8 || height < 1 || width < 1 || height > kMaxDecoderSide ||
            width > kMaxDecoderSide || (count != 1 && count != 3) || body.size() != 6 + 3 * count)
            return Doubt();
        for (size_t i = 0; i < count; ++i) {
            const uchar *c = &body[6 + 3 * i];
            const Component component{c[0], c[1] >> 4, c[1] & 15, c[2]};
            const bool sampling = i == 0 ? component.h >= 1 && component.h <= 2 &&
                                               component.v >= 1 && component.v <= 2
                                         : component.h == 1 && component.v == 1;
            if (!sampling || component.quantTable > 3) return Doubt();
            for (const Component &other : components_)
                if (other.id == component.id) return Doubt();
            components_.push_back(component);
        }
        framed_ = true;
        frameSize_ = QSize(width, height);
    }

    void Scan(const std::vector<uchar> &body) {
        if (!framed_ || scanned_ || body.empty()) return Doubt();
        const size_t count = body[0];
        if (count != components_.size() || body.size() != 4 + 2 * count) return Doubt();
        std::vector<int> seen;
        for (size_t i = 0; i < count; ++i) {
            const int id = body[1 + 2 * i], dc = body[2 + 2 * i] >> 4, ac = body[2 + 2 * i] & 15;
            bool inFrame = false;
            for (const Component &component : components_) inFrame = inFrame || component.id == id;
            for (int other : seen)
                if (other == id) return Doubt();
            if (!inFrame || dc > 3 || ac > 3 || !dc_[dc] || !ac_[ac]) return Doubt();
            seen.push_back(id);
        }
        for (const Component &component : components_)
            if (!quant_[component.quantTable]) return Doubt();
        const uchar *spectral = &body[1 + 2 * count];
        if (spectral[0] != 0 || spectral[1] != 63 || spectral[2] != 0) return Doubt();
        scanned_ = true;
    }

    bool plain_ = true;
    QSize frameSize_;
    bool framed_ = false;
    bool scanned_ = false;
    bool afterScan_ = false;
    std::array<bool, 4> quant_{}, dc_{}, ac_{};
    std::vector<Component> components_;
};

// Marker segments are skipped by their length (an embedded thumbnail has its own end marker); in
// entropy-coded data 0xFF is followed only by a stuffed 0x00, a restart marker or the next marker.
template <typename Bytes>
JpegStructure Walk(Bytes &bytes) {
    JpegStructure result;
    BaselineCheck check;
    const qint64 size = bytes.size();
    if (size < 2 || bytes.At(0) != 0xFF || bytes.At(1) != 0xD8) check.Doubt();
    qint64 at = 2;  // after the start-of-image marker
    bool inScan = false;
    std::vector<uchar> body;
    while (at + 1 < size) {
        if (inScan) {
            at = bytes.FindFF(at);
            if (at < 0 || at + 1 >= size) return result;
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
            check.ScanEnded();
        }
        if (bytes.At(at) != 0xFF) return result;
        const uchar marker = bytes.At(at + 1);
        if (marker == 0xFF) {  // fill byte before a marker
            ++at;
            continue;
        }
        if (marker == 0xD9) {
            result.complete = true;
            result.plainBaseline = check.Plain();
            if (result.plainBaseline) result.frameSize = check.FrameSize();
            return result;
        }
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            check.Doubt();
            at += 2;
            continue;
        }
        if (at + 3 >= size) return result;
        const qint64 length = (qint64(bytes.At(at + 2)) << 8) | bytes.At(at + 3);
        if (length < 2) return result;
        if (BaselineCheck::Reads(marker)) {
            if (at + 2 + length > size) return result;
            body.resize(size_t(length - 2));
            for (qint64 i = 0; i < length - 2; ++i) body[size_t(i)] = bytes.At(at + 4 + i);
            check.Segment(marker, body);
        }
        at += 2 + length;
        inScan = marker == 0xDA;
    }
    return result;
}

}  // namespace

JpegStructure InspectJpeg(const uchar *data, qint64 size) {
    MemoryBytes bytes(data, size);
    return Walk(bytes);
}

JpegStructure InspectJpegFile(int fd, qint64 size) {
    FileBytes bytes(fd, size);
    return Walk(bytes);
}
