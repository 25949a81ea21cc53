#include "picture/UprightPicture.h"

#include <QColorSpace>
#include <algorithm>
#include <thread>

namespace {

constexpr int kTile = 32;                         // pixels a side: a tile's rows stay in cache
constexpr qint64 kTwoThreadPixels = 1024 * 1024;  // below this a second thread costs more

// Where destination pixel (x, y) is read from: base + x * across + y * down, in bytes.
struct SourceWalk {
    qptrdiff base, across, down;
};

// The stored pixel that shows at (x, y).
QPoint StoredPoint(QPoint shown, QSize stored, QImageIOHandler::Transformations orientation) {
    const bool turn = orientation & QImageIOHandler::TransformationRotate90;
    int sx = turn ? shown.y() : shown.x();
    int sy = turn ? stored.height() - 1 - shown.x() : shown.y();
    if (orientation & QImageIOHandler::TransformationMirror) sx = stored.width() - 1 - sx;
    if (orientation & QImageIOHandler::TransformationFlip) sy = stored.height() - 1 - sy;
    return QPoint(sx, sy);
}

SourceWalk WalkFor(const QImage &stored, QImageIOHandler::Transformations orientation) {
    const qptrdiff pixel = stored.depth() / 8, line = stored.bytesPerLine();
    const auto offset = [&](int x, int y) {
        const QPoint from = StoredPoint(QPoint(x, y), stored.size(), orientation);
        return from.y() * line + from.x() * pixel;
    };
    return {offset(0, 0), offset(1, 0) - offset(0, 0), offset(0, 1) - offset(0, 0)};
}

// The pixels from one corner pixel to the opposite one, whichever corners they are.
QRect Spanning(QPoint a, QPoint b) {
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

// Where the stored pixel (x, y) shows.
QPoint ShownPoint(QPoint at, QSize stored, QImageIOHandler::Transformations orientation) {
    int ix = at.x(), iy = at.y();
    if (orientation & QImageIOHandler::TransformationMirror) ix = stored.width() - 1 - ix;
    if (orientation & QImageIOHandler::TransformationFlip) iy = stored.height() - 1 - iy;
    if (orientation & QImageIOHandler::TransformationRotate90)
        return QPoint(stored.height() - 1 - iy, ix);
    return QPoint(ix, iy);
}

template <typename Pixel>
void CopyRows(const QImage &stored, const SourceWalk &walk, QImage &shown, int firstRow,
              int endRow) {
    const uchar *source = stored.constBits();
    const int width = shown.width();
    for (int tileY = firstRow; tileY < endRow; tileY += kTile) {
        const int tileEndY = std::min(endRow, tileY + kTile);
        for (int tileX = 0; tileX < width; tileX += kTile) {
            const int tileEndX = std::min(width, tileX + kTile);
            for (int y = tileY; y < tileEndY; ++y) {
                auto *to = reinterpret_cast<Pixel *>(shown.scanLine(y)) + tileX;
                const uchar *from = source + walk.base + tileX * walk.across + y * walk.down;
                for (int x = tileX; x < tileEndX; ++x, from += walk.across)
                    *to++ = *reinterpret_cast<const Pixel *>(from);
            }
        }
    }
}

template <typename Pixel>
void Turn(const QImage &stored, const SourceWalk &walk, QImage &shown) {
    const int height = shown.height();
    if (qint64(shown.width()) * height < kTwoThreadPixels) {
        CopyRows<Pixel>(stored, walk, shown, 0, height);
        return;
    }
    const int middle = height / 2 / kTile * kTile;
    std::thread lower([&] { CopyRows<Pixel>(stored, walk, shown, middle, height); });
    CopyRows<Pixel>(stored, walk, shown, 0, middle);
    lower.join();
}

}  // namespace

QImage Upright(const QImage &stored, QImageIOHandler::Transformations orientation) {
    if (orientation == QImageIOHandler::TransformationNone || stored.isNull()) return stored;
    const int depth = stored.depth();
    if (depth != 8 && depth != 32) {  // rare layouts: Qt's own, slower turn
        const bool mirror = orientation & QImageIOHandler::TransformationMirror;
        const bool flip = orientation & QImageIOHandler::TransformationFlip;
        QImage shown = stored.mirrored(mirror, flip);
        if (orientation & QImageIOHandler::TransformationRotate90)
            shown = shown.transformed(QTransform().rotate(90));
        return shown;
    }
    QImage shown(UprightSize(stored.size(), orientation), stored.format());
    if (shown.isNull()) return {};
    shown.setColorTable(stored.colorTable());
    shown.setColorSpace(stored.colorSpace());
    const SourceWalk walk = WalkFor(stored, orientation);
    if (depth == 8)
        Turn<uchar>(stored, walk, shown);
    else
        Turn<quint32>(stored, walk, shown);
    return shown;
}

QRect UprightRect(QRect storedRect, QSize stored, QImageIOHandler::Transformations orientation) {
    if (storedRect.isEmpty()) return {};
    return Spanning(ShownPoint(storedRect.topLeft(), stored, orientation),
                    ShownPoint(storedRect.bottomRight(), stored, orientation));
}

QRect StoredRect(QRect shownRect, QSize stored, QImageIOHandler::Transformations orientation) {
    if (shownRect.isEmpty()) return {};
    return Spanning(StoredPoint(shownRect.topLeft(), stored, orientation),
                    StoredPoint(shownRect.bottomRight(), stored, orientation));
}

QSize UprightSize(QSize stored, QImageIOHandler::Transformations orientation) {
    return orientation & QImageIOHandler::TransformationRotate90 ? stored.transposed() : stored;
}
