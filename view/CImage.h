#pragma once

#include <QImage>
#include <QString>

class QPainter;

// Holder of the shown picture, decoded at its natural size in the decoder's own pixel layout:
// palette and grey pictures keep their depth and colour table, alpha pictures keep their alpha.
class CImage {
public:
    // Decodes the file under the program's picture rule, its format decided by its content; a
    // damaged picture shows what the decoder makes of it. False leaves the holder empty. The
    // file is closed again before this returns.
    bool Load(const QString &path);
    void Destroy();

    bool IsNull() const { return image_.isNull(); }
    int GetWidth() const { return image_.width(); }
    int GetHeight() const { return image_.height(); }
    int GetBPP() const { return image_.depth(); }
    bool HasAlphaChannel() const { return image_.hasAlphaChannel(); }
    const QImage &image() const { return image_; }

    // Copies the source rectangle of the picture onto `painter` at the destination rectangle;
    // pictures with alpha are blended source-over, others copied. False when empty or no painter.
    bool Draw(QPainter *painter, int xDest, int yDest, int destWidth, int destHeight, int xSrc,
              int ySrc, int srcWidth, int srcHeight) const;

private:
    QImage image_;
};
