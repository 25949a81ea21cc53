#include "picture/PictureFormats.h"

#include <cstring>

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
