#include "picture/JpegRegion.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

namespace {

struct ErrorExit {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void JumpOut(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorExit *>(info->err)->jump, 1);
}

void IgnoreMessage(j_common_ptr, int) {}

constexpr JDIMENSION kGuard = 32;  // the widest block: 4 x 8 pixels of chroma sampling

}  // namespace

JpegRegion DecodeJpegRegion(const QByteArray &bytes, QRect region) {
    JpegRegion result;
    jpeg_decompress_struct info{};
    ErrorExit error{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JumpOut;
    error.manager.emit_message = IgnoreMessage;  // warnings: the whole decode judges the damage
    // Everything the jump may skip lies before setjmp or is volatile.
    QImage *volatile image = new QImage;
    const auto fail = [&] {
        jpeg_destroy_decompress(&info);
        delete image;
        return JpegRegion();
    };
    if (setjmp(error.jump)) return fail();
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRX;  // Format_RGB32's bytes in memory
    jpeg_start_decompress(&info);
    region &= QRect(0, 0, int(info.output_width), int(info.output_height));
    if (region.isEmpty()) return fail();
    // Widened to whole blocks, and by one block more on either side: smoothed chroma at the
    // region's edges needs the samples beyond them, which are cut off again afterwards.
    const JDIMENSION pictureWidth = info.output_width;  // the crop narrows output_width
    const JDIMENSION wantedLeft = JDIMENSION(region.left());
    const JDIMENSION wantedEnd = JDIMENSION(region.right() + 1);
    JDIMENSION left = wantedLeft > kGuard ? wantedLeft - kGuard : 0;
    JDIMENSION width = std::min(wantedEnd + kGuard, pictureWidth) - left;
    jpeg_crop_scanline(&info, &left, &width);
    *image = QImage(int(width), region.height(), QImage::Format_RGB32);
    if (image->isNull()) return fail();
    if (region.top() > 0) jpeg_skip_scanlines(&info, JDIMENSION(region.top()));
    while (info.output_scanline < JDIMENSION(region.bottom() + 1)) {
        JSAMPROW row = image->scanLine(int(info.output_scanline) - region.top());
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_abort_decompress(&info);
    jpeg_destroy_decompress(&info);
    // Kept: the wanted columns, and beyond them only the picture's own edges.
    const int keptLeft = left == 0 ? 0 : int(wantedLeft);
    const int keptEnd = left + width >= pictureWidth ? int(pictureWidth) : int(wantedEnd);
    result.image = image->copy(keptLeft - int(left), 0, keptEnd - keptLeft, image->height());
    result.region = QRect(keptLeft, region.top(), keptEnd - keptLeft, region.height());
    delete image;
    return result;
}
