#pragma once

#include <QSize>
#include <QtGlobal>

// What a JPEG's marker structure tells without decoding it.
struct JpegStructure {
    // The stream reaches its end-of-image marker. The decoder fills a cut-off scan with grey and
    // reports success, so a truncated file is caught only here.
    bool complete = false;
    // A complete single-scan baseline JPEG (8-bit Huffman, one or three components, luma sampled
    // at most 2 x 2 and chroma 1 x 1, at most 65500 pixels a side) whose every table is defined
    // and well formed before the scan uses it, with nothing but metadata after the scan: the
    // decoder cannot fail on it, so it need not be decoded to know it shows.
    bool plainBaseline = false;
    // The frame's size, for a plain baseline JPEG: what it decodes to.
    QSize frameSize;
};

JpegStructure InspectJpeg(const uchar *data, qint64 size);
// The same for an open file of `size` bytes, read in small pieces.
JpegStructure InspectJpegFile(int fd, qint64 size);
