#pragma once

#include <QByteArray>
#include <QtGlobal>

// What a JPEG's header says about showing it: the EXIF orientation and the embedded ICC profile.
struct JpegMetadata {
    // 1 to 8 as EXIF counts them; 1 (as stored) when the tag is absent or unreadable.
    int orientation = 1;
    // The profile's bytes, its pieces joined in order; empty when there is none or a piece is
    // missing.
    QByteArray iccProfile;
};

// Reads the marker segments before the first scan of the JPEG in `data`.
JpegMetadata ReadJpegMetadata(const uchar *data, qint64 size);
