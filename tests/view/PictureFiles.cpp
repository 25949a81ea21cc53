#include "PictureFiles.h"

#include <QBuffer>
#include <QImageWriter>

QByteArray Encode(const QImage &image, const char *format, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

QImage PatternImage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.setPixel(x, y, PatternPixel(x, y));
    return image;
}

QRgb PatternPixel(int x, int y) {
    return qRgb(x % 256, y % 256, (x / 256 + y / 256 * 3) * 40 % 256);
}

namespace {

void AppendLe16(QByteArray &bytes, int value) {
    bytes.append(char(value & 0xFF));
    bytes.append(char((value >> 8) & 0xFF));
}

// LZW with 3-bit codes that never grow: a clear code before every second pixel keeps the
// decoder's table below 8 entries.
QByteArray UncompressedLzw(int width, int height) {
    constexpr int kClear = 4, kEnd = 5, kBits = 3;
    std::vector<int> codes;
    for (int i = 0; i < width * height; ++i) {
        if (i % 2 == 0) codes.push_back(kClear);
        codes.push_back((i % width + i / width) % 4);
    }
    codes.push_back(kEnd);
    QByteArray packed;
    quint32 accumulator = 0;
    int filled = 0;
    for (int code : codes) {
        accumulator |= quint32(code) << filled;
        filled += kBits;
        while (filled >= 8) {
            packed.append(char(accumulator & 0xFF));
            accumulator >>= 8;
            filled -= 8;
        }
    }
    if (filled > 0) packed.append(char(accumulator & 0xFF));
    QByteArray blocks;
    for (qsizetype at = 0; at < packed.size(); at += 255) {
        const QByteArray block = packed.mid(at, 255);
        blocks.append(char(block.size()));
        blocks.append(block);
    }
    blocks.append('\0');
    return blocks;
}

}  // namespace

QByteArray PaletteGif(int width, int height, const std::vector<QRgb> &palette) {
    QByteArray gif("GIF89a");
    AppendLe16(gif, width);
    AppendLe16(gif, height);
    gif.append(char(0x91));  // global colour table of 4 entries
    gif.append('\0');
    gif.append('\0');
    for (int i = 0; i < 4; ++i) {
        gif.append(char(qRed(palette[i])));
        gif.append(char(qGreen(palette[i])));
        gif.append(char(qBlue(palette[i])));
    }
    gif.append(char(0x2C));
    AppendLe16(gif, 0);
    AppendLe16(gif, 0);
    AppendLe16(gif, width);
    AppendLe16(gif, height);
    gif.append('\0');
    gif.append(char(2));  // LZW minimum code size
    gif.append(UncompressedLzw(width, height));
    gif.append(char(0x3B));
    return gif;
}

QByteArray JpegClaimingSize(int claimedWidth, int claimedHeight) {
    QByteArray jpeg = Encode(PatternImage(16, 16), "JPG", 90);
    const qsizetype frame = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
    if (frame < 0) return QByteArray();
    // FF C0, length (2), precision (1), height (2), width (2), big-endian.
    jpeg[frame + 5] = char(claimedHeight >> 8);
    jpeg[frame + 6] = char(claimedHeight & 0xFF);
    jpeg[frame + 7] = char(claimedWidth >> 8);
    jpeg[frame + 8] = char(claimedWidth & 0xFF);
    return jpeg;
}

QByteArray GifClaimingSize(int claimedWidth, int claimedHeight) {
    QByteArray gif = PaletteGif(2, 2, {0, 0, 0, 0});
    for (int at : {6, 30}) {  // logical screen, then image descriptor (after 12 palette bytes)
        gif[at] = char(claimedWidth & 0xFF);
        gif[at + 1] = char(claimedWidth >> 8);
        gif[at + 2] = char(claimedHeight & 0xFF);
        gif[at + 3] = char(claimedHeight >> 8);
    }
    return gif;
}

QByteArray ProgressiveJpeg(const QImage &image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    writer.write(image);
    return bytes;
}

QByteArray WithApp1(const QByteArray &jpeg, const QByteArray &payload) {
    const int length = int(payload.size()) + 2 + 6;
    QByteArray segment("\xFF\xE1", 2);
    segment.append(char(length >> 8));
    segment.append(char(length & 0xFF));
    segment.append("Exif\0\0", 6);
    segment.append(payload);
    return jpeg.left(2) + segment + jpeg.mid(2);
}

QByteArray ExifOrientation(int value, bool bigEndian, int type) {
    QByteArray tiff;
    const auto put16 = [&](int v) {
        const char high = char((v >> 8) & 0xFF), low = char(v & 0xFF);
        tiff.append(bigEndian ? high : low).append(bigEndian ? low : high);
    };
    const auto put32 = [&](int v) {
        put16(bigEndian ? v >> 16 : v & 0xFFFF);
        put16(bigEndian ? v & 0xFFFF : v >> 16);
    };
    tiff.append(bigEndian ? "MM" : "II");
    put16(42);
    put32(8);  // the first directory follows the header
    put16(1);  // one entry: Orientation
    put16(0x0112);
    put16(type);
    put32(1);
    put16(value);
    put16(0);
    put32(0);  // no further directory
    return tiff;
}

QByteArray WithIccProfile(const QByteArray &jpeg, const QByteArray &profile, int pieces) {
    QByteArray segments;
    const qsizetype pieceSize = (profile.size() + pieces - 1) / pieces;
    for (int piece = 0; piece < pieces; ++piece) {
        const QByteArray part = profile.mid(piece * pieceSize, pieceSize);
        const int length = int(part.size()) + 2 + 14;
        segments.append("\xFF\xE2", 2).append(char(length >> 8)).append(char(length & 0xFF));
        segments.append("ICC_PROFILE", 12).append(char(piece + 1)).append(char(pieces));
        segments.append(part);
    }
    return jpeg.left(2) + segments + jpeg.mid(2);
}
