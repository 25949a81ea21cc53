#pragma once

#include <QImage>
#include <QRect>
#include <QString>

#include "picture/PictureRule.h"

class QPainter;
class QRectF;

// A picture as the view shows it: decoded under the program's picture rule at its natural size
// in the decoder's own pixel layout (palette and grey pictures keep their depth and colour table,
// alpha pictures their alpha), turned upright by its EXIF orientation, a JPEG's embedded colour
// profile converted to sRGB, with the stamp of the file it came from. A damaged picture is what
// the decoder makes of it. A null image: no picture. The file is closed again before this
// returns.
struct ViewPicture {
    QImage image;  // at its natural size; null when only the fitted copy was decoded
    FileStamp stamp;
    QImage fitted;  // scaled down to fit a pane, when it was made ready for one
    QSize size;     // the natural size, as shown (turned by its orientation)
    // Where the image lies in the picture as shown while only that part is decoded; null: whole.
    QRect part;
    bool isNull() const { return image.isNull() && fitted.isNull(); }
};
// `fitPane`, when not empty, is the pane in device pixels that a picture larger than it is also
// made ready fitted to; a JPEG fitted at half its size or less is decoded only that large (by
// DCT scaling) and keeps only its fitted copy.
ViewPicture DecodeViewPicture(const QString &path, QSize fitPane = QSize());
// The top-left `visible` pixels of a JPEG larger than them, decoded alone, turned and in true
// colours as the whole would be; a null picture when the file is to be decoded whole.
ViewPicture DecodeVisiblePart(const QString &path, QSize visible);
// The size a picture of `size` pixels is shown at, fitted into `pane`.
QSize FittedSize(QSize size, QSize pane);
// Whether `picture` can be shown as a pane of `fitPane` (empty: natural size) needs it.
bool ServesFitPane(const ViewPicture &picture, QSize fitPane);

// `picture` scaled smoothly to `shown` pixels, as the view shows it fitted or zoomed.
QImage ScaledViewPicture(const QImage &picture, QSize shown);

// Copies the whole picture into `target`: blended source-over when it has alpha, else copied. A
// target as large in device pixels as the picture copies it pixel for pixel.
void DrawViewPicture(QPainter &painter, const QImage &picture, const QRectF &target);
