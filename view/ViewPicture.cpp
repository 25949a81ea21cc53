#include "view/ViewPicture.h"

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

void DrawViewPicture(QPainter &painter, const QImage &picture, const QRectF &target) {
    if (picture.isNull()) return;
    const QPainter::CompositionMode previous = painter.compositionMode();
    painter.setCompositionMode(picture.hasAlphaChannel() ? QPainter::CompositionMode_SourceOver
                                                         : QPainter::CompositionMode_Source);
    painter.drawImage(target, picture, QRectF(picture.rect()));
    painter.setCompositionMode(previous);
}
