#include "view/CImage.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

#include "view/PictureFormats.h"

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
    // Only regular files: opening a FIFO would wait for a writer, a device may never end.
    if (!QFileInfo(path).isFile()) return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() <= 0) return false;
    const qint64 size = file.size();
    uchar *mapped = file.map(0, size);  // read in place; closed again when `file` goes
    if (!mapped) return false;
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(mapped), size);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);

    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    // Refuse what the header announces as too big before anything is allocated for it.
    const QSize announced = reader.size();
    if (announced.isValid() && !AcceptableSize(announced)) return false;
    const QByteArray format = reader.format();
    if (format == "jpeg" && !JpegIsComplete(mapped, size)) return false;
    QImage decoded;
    if (!reader.read(&decoded) || !AcceptableSize(decoded.size())) return false;
    if (format == "gif" && !decoded.hasAlphaChannel()) {
        // Back to the file's own palette, so the picture keeps its depth and colour table.
        const QList<QRgb> table = GifColourTable(mapped, size);
        if (!table.isEmpty())
            decoded = decoded.convertToFormat(QImage::Format_Indexed8, table,
                                              Qt::ThresholdDither | Qt::AvoidDither);
    }
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
