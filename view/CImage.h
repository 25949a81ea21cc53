#pragma once

#include <QImage>
#include <QString>

#include "picture/PictureRule.h"

class QPainter;

// The shown picture as the view holds it: decoded under the program's picture rule at its natural
// size in the decoder's own pixel layout (palette and grey pictures keep their depth and colour
// table, alpha pictures their alpha), with the stamp of the file it came from. A damaged picture
// is what the decoder makes of it. Null image: no picture.
struct ViewPicture {
    QImage image;
    FileStamp stamp;
};
ViewPicture DecodeViewPicture(const QString &path);

// Holder of the shown picture.
class CImage {
public:
    // Decodes the file; false leaves the holder empty. The file is closed again before this
    // returns.
    bool Load(const QString &path);
    // Takes a picture decoded before, from the file it was stamped with.
    void Adopt(const ViewPicture &picture);
    void Destroy();

    bool IsNull() const { return image_.isNull(); }
    int GetWidth() const { return image_.width(); }
    int GetHeight() const { return image_.height(); }
    int GetBPP() const { return image_.depth(); }
    bool HasAlphaChannel() const { return image_.hasAlphaChannel(); }
    const QImage &image() const { return image_; }
    const FileStamp &stamp() const { return stamp_; }

    // Copies the whole picture onto `painter` into `target`; pictures with alpha are blended
    // source-over, others copied. A target as large in device pixels as the picture copies it
    // pixel for pixel. False when empty or no painter.
    bool Draw(QPainter *painter, const QRectF &target) const;

private:
    QImage image_;
    FileStamp stamp_;
};
