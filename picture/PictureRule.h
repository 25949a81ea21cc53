#pragma once

#include <QByteArray>
#include <QColorSpace>
#include <QImage>
#include <QImageIOHandler>
#include <QRect>
#include <QSize>
#include <QString>
#include <optional>

// One rule for what a picture is, shared by the view and the download's picture test, so that
// every file the download keeps is a file the view shows.

// Largest picture accepted: its sides fit the view's 16-bit sizes and its pixels (4 bytes
// each assumed) the decoder's allocation limit.
inline constexpr int kMaxPictureSide = 65535;
inline constexpr qint64 kMaxDecodedPictureBytes = 1024LL << 20;
// No encoded picture within those limits is larger than its decoded pixels; a bigger file is
// refused before anything of it is read.
inline constexpr qint64 kMaxPictureFileBytes = kMaxDecodedPictureBytes;

bool IsAcceptablePictureSize(const QSize &size);

enum class DecodeScale {
    Natural,     // every pixel
    JpegEighth,  // a JPEG decodes at an eighth of its size (the natural size is still reported)
};

// Which file a decoded picture came from: another file under the name, or the same one written
// to meanwhile, has another stamp.
struct FileStamp {
    quint64 device = 0, inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0, changedNs = 0;
    bool operator==(const FileStamp &) const = default;
};

// The stamp of the file at `path` now; nullopt when there is none.
std::optional<FileStamp> StampOf(const QString &path);

struct DecodedPicture {
    QImage image;       // null: not a picture under the rule
    QSize naturalSize;  // the picture's own size
    QByteArray format;  // the decoder's name for the format, from the content
    QByteArray head;    // for a GIF, the file's first bytes (its colour tables live there)
    FileStamp stamp;    // of the file as it was decoded
    // How the camera meant the stored pixels to be turned, from the file's EXIF orientation.
    QImageIOHandler::Transformations orientation = QImageIOHandler::TransformationNone;
    // The colours of a JPEG's embedded ICC profile; invalid when it has none Qt can read (and for
    // every other format, whose values are taken as they are).
    QColorSpace colourSpace;
    // The image is the picture at 1/reduction of its natural size (1, 2, 4 or 8).
    int reduction = 1;
    // Where the image lies in the stored picture when only that part was decoded; null: whole.
    QRect part;
};

// The largest DCT reduction (1, 2, 4 or 8) at which a picture of `upright` pixels, as shown,
// still covers the size it is shown at when fitted into `box`; 1 for an empty box.
int ReductionToFit(QSize upright, QSize box);

// Decodes the file at `path` under the rule: only a regular file (a FIFO or device is never
// read, so nothing blocks), at most kMaxPictureFileBytes, its size judged from its header before
// any pixel is allocated, the format decided from the content. The pixels are as stored: the
// orientation and colour space are only reported.
// `fitBox`, when not empty, is where the picture will be shown fitted: a colour JPEG at least
// twice as large is decoded only as large as that needs (ReductionToFit).
DecodedPicture DecodePictureFile(const QString &path, DecodeScale scale, QSize fitBox = QSize());

// The part of a colour JPEG that shows first: the top-left corner of the picture as shown (turned
// by its orientation), `shownBox` pixels of it, in the stored picture's whole blocks. A null image
// when the file is no colour JPEG or when most of it shows anyway: then it is decoded whole.
DecodedPicture DecodePicturePart(const QString &path, QSize shownBox);

// Whether a file is a picture the download may keep, and its natural size: a picture under the
// rule above that, when it is a JPEG, also reaches its end marker. A plain baseline JPEG is judged
// from its headers and markers alone, since the decoder cannot fail on one; anything else is
// decoded.
struct PictureJudgement {
    bool picture = false;
    QSize naturalSize;
};
// `openFd`, when given, is the file at `path` open for reading, which spares opening it again.
PictureJudgement JudgePictureFile(const QString &path, int openFd = -1);
