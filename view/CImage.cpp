#include "view/CImage.h"

#include <QImageReader>
#include <QPainter>

namespace {

// Raise Qt's default so that large photos decode; the header check below still refuses bombs.
void RaiseAllocationLimitOnce() {
    static const bool raised = [] {
        QImageReader::setAllocationLimit(static_cast<int>(CImage::kMaxBytes >> 20));
        return true;
    }();
    (void)raised;
}

bool AcceptableSize(const QSize &size) {
    if (!size.isValid() || size.isEmpty()) return false;
    if (size.width() > CImage::kMaxSide || size.height() > CImage::kMaxSide) return false;
    return qint64(size.width()) * size.height() * 4 <= CImage::kMaxBytes;
}

}  // namespace

bool CImage::Load(const QString &path) {
    Destroy();
    RaiseAllocationLimitOnce();
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    // A header without a size (rare formats) is decoded and checked afterwards.
    const QSize announced = reader.size();
    if (announced.isValid() && !AcceptableSize(announced)) return false;
    QImage decoded;
    if (!reader.read(&decoded) || !AcceptableSize(decoded.size())) return false;
    image_ = std::move(decoded);
    return true;
}

void CImage::Destroy() { image_ = QImage(); }

bool CImage::Draw(QPainter *painter, int xDest, int yDest, int destWidth, int destHeight, int xSrc,
                  int ySrc, int srcWidth, int srcHeight) const {
    if (!painter || image_.isNull()) return false;
    const QPainter::CompositionMode previous = painter->compositionMode();
    painter->setCompositionMode(image_.hasAlphaChannel() ? QPainter::CompositionMode_SourceOver
                                                         : QPainter::CompositionMode_Source);
    painter->drawImage(QRect(xDest, yDest, destWidth, destHeight), image_,
                       QRect(xSrc, ySrc, srcWidth, srcHeight));
    painter->setCompositionMode(previous);
    return true;
}
