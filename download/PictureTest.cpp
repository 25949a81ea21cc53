#include "download/PictureTest.h"

#include <cstdint>

#include "platform/PictureRule.h"

int PixelsToHimetric(int pixels) {
    constexpr std::int64_t kHimetricPerInch = 2540;
    constexpr std::int64_t kDotsPerInch = 96;
    const std::int64_t product = std::int64_t{pixels} * kHimetricPerInch;
    const std::int64_t half = kDotsPerInch / 2;
    return static_cast<int>(product >= 0 ? (product + half) / kDotsPerInch
                                         : -((-product + half) / kDotsPerInch));
}

PictureVerdict JudgePicture(const QString &path) {
    // The view's own rule; a JPEG may decode at an eighth of its size, since the test needs no
    // pixels and the decoder reads every coefficient either way.
    const DecodedPicture picture = DecodePictureFile(path, DecodeScale::JpegEighth);
    if (picture.image.isNull()) return PictureVerdict::NotAPicture;
    // A JPEG that stops short of its end would be kept with grey rows: never a kept picture.
    if (picture.format == "jpeg" && !JpegFileIsComplete(path)) return PictureVerdict::NotAPicture;
    if (PixelsToHimetric(picture.naturalSize.width()) < kMinimumPictureHimetric ||
        PixelsToHimetric(picture.naturalSize.height()) < kMinimumPictureHimetric)
        return PictureVerdict::TooSmall;
    return PictureVerdict::Accepted;
}
