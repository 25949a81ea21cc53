#include "picture/PictureTest.h"

#include <cstdint>

#include "picture/PictureRule.h"

int PixelsToHimetric(int pixels) {
    constexpr std::int64_t kHimetricPerInch = 2540;
    constexpr std::int64_t kDotsPerInch = 96;
    const std::int64_t product = std::int64_t{pixels} * kHimetricPerInch;
    const std::int64_t half = kDotsPerInch / 2;
    return static_cast<int>(product >= 0 ? (product + half) / kDotsPerInch
                                         : -((-product + half) / kDotsPerInch));
}

PictureVerdict JudgePicture(const QString &path, int openFd) {
    const PictureJudgement judgement = JudgePictureFile(path, openFd);
    if (!judgement.picture) return PictureVerdict::NotAPicture;
    if (PixelsToHimetric(judgement.naturalSize.width()) < kMinimumPictureHimetric ||
        PixelsToHimetric(judgement.naturalSize.height()) < kMinimumPictureHimetric)
        return PictureVerdict::TooSmall;
    return PictureVerdict::Accepted;
}
