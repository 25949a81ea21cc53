#pragma once

#include <QImage>
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
    QImage image;
    FileStamp stamp;
    QImage fitted;  // scaled down to fit a pane, when it was made ready for one
};
// `fitPane`, when not empty, is the pane in device pixels that a picture larger than it is also
// made ready fitted to.
ViewPicture DecodeViewPicture(const QString &path, QSize fitPane = QSize());

// `picture` scaled smoothly to `shown` pixels, as the view shows it fitted or zoomed.
QImage ScaledViewPicture(const QImage &picture, QSize shown);

// Copies the whole picture into `target`: blended source-over when it has alpha, else copied. A
// target as large in device pixels as the picture copies it pixel for pixel.
void DrawViewPicture(QPainter &painter, const QImage &picture, const QRectF &target);
