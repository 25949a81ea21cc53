#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>

// Part of a colour JPEG decoded on its own: the rows of `region` and, widened to whole blocks of
// the coded picture, its columns (libjpeg-turbo's cropping and skipping), without the rest.
struct JpegRegion {
    QImage image;  // Format_RGB32; null when the part cannot be decoded
    QRect region;  // where the image lies in the stored picture
};
JpegRegion DecodeJpegRegion(const QByteArray &bytes, QRect region);
