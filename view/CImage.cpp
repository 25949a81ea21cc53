#include "view/CImage.h"

#include <QPainter>

#include "picture/PictureFormats.h"

ViewPicture DecodeViewPicture(const QString &path) {
    DecodedPicture picture = DecodePictureFile(path, DecodeScale::Natural);
    if (picture.image.isNull()) return {};
    if (picture.format == "gif" && !picture.image.hasAlphaChannel()) {
        // Back to the file's own palette, so the picture keeps its depth and colour table.
        const QList<QRgb> table = GifColourTable(
            reinterpret_cast<const uchar *>(picture.head.constData()), picture.head.size());
        if (!table.isEmpty())
            picture.image = picture.image.convertToFormat(QImage::Format_Indexed8, table,
                                                          Qt::ThresholdDither | Qt::AvoidDither);
    }
    return {std::move(picture.image), picture.stamp};
}

bool CImage::Load(const QString &path) {
    Destroy();
    Adopt(DecodeViewPicture(path));
    return !image_.isNull();
}

void CImage::Adopt(const ViewPicture &picture) {
    image_ = picture.image;
    stamp_ = picture.stamp;
}

void CImage::Destroy() {
    image_ = QImage();
    stamp_ = FileStamp();
}

bool CImage::Draw(QPainter *painter, const QRectF &target) const {
    if (!painter || image_.isNull()) return false;
    const QPainter::CompositionMode previous = painter->compositionMode();
    painter->setCompositionMode(image_.hasAlphaChannel() ? QPainter::CompositionMode_SourceOver
                                                         : QPainter::CompositionMode_Source);
    painter->drawImage(target, image_, QRectF(image_.rect()));
    painter->setCompositionMode(previous);
    return true;
}
