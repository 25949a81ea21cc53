#pragma once

#include <QImage>
#include <QImageIOHandler>
#include <QRect>

// The picture turned as the camera meant it: mirrored or flipped first, then turned a quarter
// clockwise, as EXIF orders it (Qt's transformations name the eight orientations). Palette,
// grey and alpha pictures keep their format. Large pictures are turned on two threads.
QImage Upright(const QImage &stored, QImageIOHandler::Transformations orientation);

// The size of a stored picture of `stored` pixels as shown.
QSize UprightSize(QSize stored, QImageIOHandler::Transformations orientation);

// Where a rectangle of the stored picture (`stored` pixels large) lies in the picture as shown,
// and back.
QRect UprightRect(QRect storedRect, QSize stored, QImageIOHandler::Transformations orientation);
QRect StoredRect(QRect shownRect, QSize stored, QImageIOHandler::Transformations orientation);
