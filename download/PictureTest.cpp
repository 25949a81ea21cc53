#include "download/PictureTest.h"

#include <QImage>
#include <QImageReader>
#include <cstdint>

int PixelsToHimetric(int pixels) {
    constexpr std::int64_t kHimetricPerInch = 2540;
    constexpr std::int64_t kDotsPerInch = 96;
    const std::int64_t product = std::int64_t{pixels} * kHimetricPerInch;
    const std::int64_t half = kDotsPerInch / 2;
    return static_cast<int>(product >= 0 ? (product + half) / kDotsPerInch
                                         : -((-product + half) / kDotsPerInch));
}

PictureVerdict JudgePicture(const QString &path) {
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    const QImage picture = reader.read();
    if (picture.isNull()) return PictureVerdict::NotAPicture;
    if (PixelsToHimetric(picture.width()) < kMinimumPictureHimetric ||
        PixelsToHimetric(picture.height()) < kMinimumPictureHimetric)
        return PictureVerdict::TooSmall;
    return PictureVerdict::Accepted;
}
