#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

// A JPEG of three colour components decoded by libjpeg-turbo straight into QImage::Format_RGB32:
// the pixels Qt's reader gives (the same library, the same defaults), without its decoding into
// 24-bit rows and converting each one. Grey, CMYK and other JPEGs are left to Qt's reader.
class ColourJpeg {
public:
    // Reads the header of the JPEG in `bytes`, which must outlive the object.
    explicit ColourJpeg(const QByteArray &bytes);
    ~ColourJpeg();
    ColourJpeg(const ColourJpeg &) = delete;
    ColourJpeg &operator=(const ColourJpeg &) = delete;

    // Whether the header names a colour JPEG that this decoder takes.
    bool recognised() const { return recognised_; }
    QSize size() const { return size_; }
    // The picture, at 1/`reduction` of its size (1, 2, 4 or 8: the decoder's DCT scaling, each
    // side rounded up); damaged data gives what the decoder makes of it. A null image when the
    // data cannot be decoded at all.
    QImage Decode(int reduction = 1);
    static QSize ReducedSize(QSize natural, int reduction);

private:
    const QByteArray &bytes_;
    void *handle_ = nullptr;
    bool recognised_ = false;
    QSize size_;
};
