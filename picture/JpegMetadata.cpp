#include "picture/JpegMetadata.h"

#include <cstring>
#include <map>

namespace {

constexpr uchar kExifApp = 0xE1;
constexpr uchar kIccApp = 0xE2;
constexpr char kExifId[] = "Exif\0";  // with the array's own terminator: "Exif" and two zeros
constexpr char kIccId[] = "ICC_PROFILE";
constexpr quint16 kOrientationTag = 0x0112;
constexpr quint16 kShortType = 3;

// Reads the integers of a TIFF block in its own byte order, 0 past its end.
class TiffBlock {
public:
    TiffBlock(const uchar *data, qint64 size) : data_(data), size_(size) {
        bigEndian_ = size >= 2 && data[0] == 'M' && data[1] == 'M';
        valid_ = size >= 8 && (bigEndian_ || (data[0] == 'I' && data[1] == 'I')) && U16(2) == 42;
    }
    bool valid() const { return valid_; }
    quint16 U16(qint64 at) const {
        if (at < 0 || at + 2 > size_) return 0;
        return bigEndian_ ? quint16(data_[at] << 8 | data_[at + 1])
                          : quint16(data_[at + 1] << 8 | data_[at]);
    }
    quint32 U32(qint64 at) const {
        return bigEndian_ ? quint32(U16(at)) << 16 | U16(at + 2)
                          : quint32(U16(at + 2)) << 16 | U16(at);
    }

private:
    const uchar *data_;
    qint64 size_;
    bool bigEndian_ = false;
    bool valid_ = false;
};

// The Orientation entry of the first image directory; 1 when there is none or it is out of range.
int OrientationOf(const uchar *tiff, qint64 size) {
    const TiffBlock block(tiff, size);
    if (!block.valid()) return 1;
    const qint64 directory = block.U32(4);
    const int entries = block.U16(directory);
    for (int i = 0; i < entries; ++i) {
        const qint64 entry = directory + 2 + 12 * qint64(i);
        if (entry + 12 > size) break;
        if (block.U16(entry) != kOrientationTag) continue;
        const int value = block.U16(entry + 8);
        const bool fits = block.U16(entry + 2) == kShortType && block.U32(entry + 4) == 1;
        return fits && value >= 1 && value <= 8 ? value : 1;
    }
    return 1;
}

bool StartsWith(const uchar *body, qint64 length, const char *id, size_t idLength) {
    return length >= qint64(idLength) && std::memcmp(body, id, idLength) == 0;
}

}  // namespace

JpegMetadata ReadJpegMetadata(const uchar *data, qint64 size) {
    JpegMetadata metadata;
    bool exifSeen = false;
    std::map<int, QByteArray> iccPieces;
    int iccCount = 0;
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8) return metadata;
    for (qint64 at = 2; at + 4 <= size;) {
        if (data[at] != 0xFF) break;
        const uchar marker = data[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) break;  // the scan: no header follows
        const qint64 length = qint64(data[at + 2]) << 8 | data[at + 3];
        if (length < 2 || at + 2 + length > size) break;
        const uchar *body = data + at + 4;
        const qint64 bodyLength = length - 2;
        if (marker == kExifApp && !exifSeen && StartsWith(body, bodyLength, kExifId, 6)) {
            exifSeen = true;
            metadata.orientation = OrientationOf(body + 6, bodyLength - 6);
        } else if (marker == kIccApp && StartsWith(body, bodyLength, kIccId, 12) &&
                   bodyLength >= 14) {
            const int sequence = body[12], count = body[13];
            if (sequence >= 1 && sequence <= count && (iccCount == 0 || iccCount == count)) {
                iccCount = count;
                iccPieces[sequence] = QByteArray(reinterpret_cast<const char *>(body + 14),
                                                 static_cast<qsizetype>(bodyLength - 14));
            }
        }
        at += 2 + length;
    }
    if (iccCount > 0 && int(iccPieces.size()) == iccCount)
        for (const auto &[sequence, piece] : iccPieces) metadata.iccProfile += piece;
    return metadata;
}
