#pragma once

#include <QImage>
#include <QImageIOHandler>

// The picture turned as the camera meant it: mirrored or flipped first, then turned a quarter
// clockwise, as EXIF orders it (Qt's transformations name the eight orientations). Palette,
// grey and alpha pictures keep their format. Large pictures are turned on two threads.
QImage Upright(const QImage &stored, QImageIOHandler::Transformations orientation);
