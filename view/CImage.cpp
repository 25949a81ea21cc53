#include "view/CImage.h"

#include <QPainter>

#include "platform/PictureRule.h"
#include "view/PictureFormats.h"

bool CImage::Load(const QString &path) {
    Destroy();
    DecodedPicture picture = DecodePictureFile(path, DecodeScale::Natural);
    if (picture.image.isNull()) return false;
    if (picture.format == "gif" && !picture.image.hasAlphaChannel()) {
        // Back to the file's own palette, so the picture keeps its depth and colour table.
        const QList<QRgb> table =
            GifColourTable(reinterpret_cast<const uchar *>(picture.head.constData()),
                           picture.head.size());
        if (!table.isEmpty())
            picture.image = picture.image.convertToFormat(QImage::Format_Indexed8, table,
                                                          Qt::ThresholdDither | Qt::AvoidDither);
    }
    image_ = std::move(picture.image);
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
