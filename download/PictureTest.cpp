#include "download/PictureTest.h"

#include <QImage>
#include <QImageReader>
#include <cstdint>

#include "platform/ImageReaderLimit.h"

int PixelsToHimetric(int pixels) {
    constexpr std::int64_t kHimetricPerInch = 2540;
    constexpr std::int64_t kDotsPerInch = 96;
    const std::int64_t product = std::int64_t{pixels} * kHimetricPerInch;
    const std::int64_t half = kDotsPerInch / 2;
    return static_cast<int>(product >= 0 ? (product + half) / kDotsPerInch
                                         : -((-product + half) / kDotsPerInch));
}

PictureVerdict JudgePicture(const QString &path) {
    RaiseImageReaderLimit();  // the same pictures as the view accepts
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    const QSize natural = reader.size();
    // A JPEG decodes every coefficient of its data either way; letting the decoder produce an
    // eighth of the size skips most of the pixel work, and the test needs no pixels.
    if (reader.format() == "jpeg" && natural.isValid())
        reader.setScaledSize(QSize((natural.width() + 7) / 8, (natural.height() + 7) / 8));
    const QImage picture = reader.read();
    if (picture.isNull() || !natural.isValid()) return PictureVerdict::NotAPicture;
    if (PixelsToHimetric(natural.width()) < kMinimumPictureHimetric ||
        PixelsToHimetric(natural.height()) < kMinimumPictureHimetric)
        return PictureVerdict::TooSmall;
    return PictureVerdict::Accepted;
}
