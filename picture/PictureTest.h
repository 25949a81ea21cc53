#pragma once

#include <QString>

// A fetched file is kept only when it decodes as a picture of at least this many HIMETRIC units
// (hundredths of a millimetre) in width and in height: 400 pixels at 96 dots per inch.
inline constexpr int kMinimumPictureHimetric = 10583;

// Pixels at 96 dots per inch in HIMETRIC units, rounded half away from zero as MulDiv rounds.
int PixelsToHimetric(int pixels);

enum class PictureVerdict {
    NotAPicture,  // does not decode
    TooSmall,     // decodes, but below the minimum in width or height
    Accepted,
};

// Decodes the file under the view's picture rule, its format decided by its content, and judges
// its natural size. A JPEG that does not reach its end marker is no picture here.
PictureVerdict JudgePicture(const QString &path, int openFd = -1);
