#include "view/ViewPicture.h"

#include <QPainter>

#include "picture/PictureFormats.h"
#include "picture/UprightPicture.h"
#include "view/PictureGeometry.h"
#include "view/PictureZoom.h"

namespace {

bool KeepsItsValues(const QImage &image) {
    return image.isGrayscale() || image.format() == QImage::Format_Indexed8 ||
           image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB;
}

// The colours of the picture's profile in sRGB, in place. Grey and palette pictures keep their
// values and depth.
void ConvertToSrgb(QImage &image, const QColorSpace &colourSpace) {
    if (!colourSpace.isValid() || colourSpace == QColorSpace::SRgb || KeepsItsValues(image)) return;
    image.setColorSpace(colourSpace);
    image.convertToColorSpace(QColorSpace::SRgb);
}

}  // namespace

ViewPicture DecodeViewPicture(const QString &path, QSize fitPane) {
    DecodedPicture picture = DecodePictureFile(path, DecodeScale::Natural, fitPane);
    if (picture.image.isNull()) return {};
    const QSize natural = UprightSize(picture.naturalSize, picture.orientation);
    ConvertToSrgb(picture.image, picture.colourSpace);
    picture.image = Upright(picture.image, picture.orientation);
    if (picture.format == "gif" && !picture.image.hasAlphaChannel()) {
        // Back to the file's own palette, so the picture keeps its depth and colour table.
        const QList<QRgb> table = GifColourTable(
            reinterpret_cast<const uchar *>(picture.head.constData()), picture.head.size());
        if (!table.isEmpty())
            picture.image = picture.image.convertToFormat(QImage::Format_Indexed8, table,
                                                          Qt::ThresholdDither | Qt::AvoidDither);
    }
    ViewPicture shown{std::move(picture.image), picture.stamp, {}, natural};
    const QSize fitted = FittedSize(natural, fitPane);
    if (!fitPane.isEmpty() && fitted != natural) {
        shown.fitted = ScaledViewPicture(shown.image, fitted);
        if (picture.reduction > 1) shown.image = QImage();  // decoded for the fitted copy alone
    }
    return shown;
}

ViewPicture DecodeVisiblePart(const QString &path, QSize visible) {
    DecodedPicture picture = DecodePicturePart(path, visible);
    if (picture.image.isNull()) return {};
    ConvertToSrgb(picture.image, picture.colourSpace);
    ViewPicture shown{Upright(picture.image, picture.orientation),
                      picture.stamp,
                      {},
                      UprightSize(picture.naturalSize, picture.orientation)};
    shown.part = UprightRect(picture.part, picture.naturalSize, picture.orientation);
    return shown;
}

QSize FittedSize(QSize size, QSize pane) {
    return PictureGeometry(size, 1, PictureZoom::FitScale(size, QSizeF(pane))).Shown();
}

bool ServesFitPane(const ViewPicture &picture, QSize fitPane) {
    if (!picture.image.isNull()) return true;
    return !fitPane.isEmpty() && !picture.fitted.isNull() &&
           picture.fitted.size() == FittedSize(picture.size, fitPane);
}

QImage ScaledViewPicture(const QImage &picture, QSize shown) {
    return picture.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void DrawViewPicture(QPainter &painter, const QImage &picture, const QRectF &target) {
    if (picture.isNull()) return;
    const QPainter::CompositionMode previous = painter.compositionMode();
    painter.setCompositionMode(picture.hasAlphaChannel() ? QPainter::CompositionMode_SourceOver
                                                         : QPainter::CompositionMode_Source);
    painter.drawImage(target, picture, QRectF(picture.rect()));
    painter.setCompositionMode(previous);
}
