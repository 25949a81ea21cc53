#include "view/PictureFormats.h"

#include <cstring>

bool JpegIsComplete(const uchar *data, qint64 size) {
    // Marker segments are skipped by their length (an embedded thumbnail has its own end
    // marker); in entropy-coded data 0xFF is followed only by a stuffed 0x00, a restart marker
    // or the next marker.
    qint64 at = 2;  // after the start-of-image marker
    bool inScan = false;
    while (at + 1 < size) {
        if (inScan) {
            const void *found = memchr(data + at, 0xFF, size_t(size - at));
            if (!found) return false;
            at = static_cast<const uchar *>(found) - data;
            if (at + 1 >= size) return false;
            const uchar next = data[at + 1];
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
        if (data[at] != 0xFF) return false;
        const uchar marker = data[at + 1];
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
        const qint64 length = (qint64(data[at + 2]) << 8) | data[at + 3];
        if (length < 2) return false;
        at += 2 + length;
        inScan = marker == 0xDA;
    }
    return false;
}

namespace {

QList<QRgb> ReadTable(const uchar *data, qint64 size, qint64 at, int entries) {
    if (at + qint64(entries) * 3 > size) return {};
    QList<QRgb> table;
    table.reserve(entries);
    for (int i = 0; i < entries; ++i, at += 3)
        table.append(qRgb(data[at], data[at + 1], data[at + 2]));
    return table;
}

}  // namespace

QList<QRgb> GifColourTable(const uchar *data, qint64 size) {
    constexpr qint64 kScreenEnd = 13;  // signature and logical screen descriptor
    if (size < kScreenEnd || memcmp(data, "GIF", 3) != 0) return {};
    QList<QRgb> global;
    qint64 at = kScreenEnd;
    if (data[10] & 0x80) {
        const int entries = 2 << (data[10] & 0x07);
        global = ReadTable(data, size, at, entries);
        at += qint64(entries) * 3;
    }
    while (at < size) {
        if (data[at] == 0x21) {  // extension: label, then sub-blocks up to an empty one
            at += 2;
            while (at < size && data[at] != 0) at += 1 + data[at];
            ++at;
        } else if (data[at] == 0x2C) {  // the first image descriptor
            if (at + 10 > size) return global;
            const uchar packed = data[at + 9];
            if (!(packed & 0x80)) return global;
            return ReadTable(data, size, at + 10, 2 << (packed & 0x07));
        } else {
            return global;
        }
    }
    return global;
}
