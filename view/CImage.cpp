#include "view/CImage.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

#include "view/PictureFormats.h"

namespace {

bool AcceptableSize(const QSize &size) {
    if (!size.isValid() || size.isEmpty()) return false;
    if (size.width() > CImage::kMaxSide || size.height() > CImage::kMaxSide) return false;
    return qint64(size.width()) * size.height() * 4 <= CImage::kMaxBytes;
}

}  // namespace

bool CImage::Load(const QString &path) {
    Destroy();
    RaiseImageReaderLimit();  // large photos decode; the header check below still refuses bombs
    // Only regular files: opening a FIFO would wait for a writer, a device may never end.
    if (!QFileInfo(path).isFile()) return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    // Read, not mapped: a file that another program shortens meanwhile cannot fault the view.
    QByteArray bytes = file.readAll();
    file.close();
    if (bytes.isEmpty()) return false;
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    const qint64 size = bytes.size();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);

    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    // Refuse what the header announces as too big before anything is allocated for it.
    const QSize announced = reader.size();
    if (announced.isValid() && !AcceptableSize(announced)) return false;
    const QByteArray format = reader.format();
    if (format == "jpeg" && !JpegIsComplete(data, size)) return false;
    QImage decoded;
    if (!reader.read(&decoded) || !AcceptableSize(decoded.size())) return false;
    if (format == "gif" && !decoded.hasAlphaChannel()) {
        // Back to the file's own palette, so the picture keeps its depth and colour table.
        const QList<QRgb> table = GifColourTable(data, size);
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
