#include "picture/ColourJpeg.h"

#include <turbojpeg.h>

namespace {

const unsigned char *Data(const QByteArray &bytes) {
    return reinterpret_cast<const unsigned char *>(bytes.constData());
}

}  // namespace

ColourJpeg::ColourJpeg(const QByteArray &bytes) : bytes_(bytes), handle_(tjInitDecompress()) {
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (!handle_ || bytes.size() < 2 || Data(bytes)[0] != 0xFF || Data(bytes)[1] != 0xD8) return;
    if (tjDecompressHeader3(handle_, Data(bytes), static_cast<unsigned long>(bytes.size()), &width,
                            &height, &subsampling, &colourspace) != 0)
        return;
    recognised_ = colourspace == TJCS_YCbCr || colourspace == TJCS_RGB;
    size_ = QSize(width, height);
}

ColourJpeg::~ColourJpeg() {
    if (handle_) tjDestroy(handle_);
}

QSize ColourJpeg::ReducedSize(QSize natural, int reduction) {
    const tjscalingfactor factor{1, reduction > 0 ? reduction : 1};
    return QSize(TJSCALED(natural.width(), factor), TJSCALED(natural.height(), factor));
}

QImage ColourJpeg::Decode(int reduction) {
    if (!recognised_) return {};
    const QSize size = ReducedSize(size_, reduction);
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull()) return {};
    // Format_RGB32 is B, G, R, 0xFF in memory. Asked for a smaller size, the decoder scales
    // its DCT by the largest factor that fits.
    const int failed = tjDecompress2(
        handle_, Data(bytes_), static_cast<unsigned long>(bytes_.size()), image.bits(),
        size.width(), static_cast<int>(image.bytesPerLine()), size.height(), TJPF_BGRX, 0);
    // A warning (corrupt or cut-off data) still leaves the decoder's picture, as with Qt's reader.
    if (failed && tjGetErrorCode(handle_) != TJERR_WARNING) return {};
    return image;
}
