#include "picture/PictureRule.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QImageReader>
#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "picture/ColourJpeg.h"
#include "picture/JpegMetadata.h"
#include "picture/JpegRegion.h"
#include "picture/JpegStructure.h"
#include "picture/UprightPicture.h"
#include "platform/FileNames.h"

namespace {

constexpr qint64 kGifHeadBytes = 256 * 1024;

// Qt's default limit refuses large photos; the header check still refuses decompression bombs.
void RaiseImageReaderLimit() {
    static const bool raised = [] {
        QImageReader::setAllocationLimit(static_cast<int>(kMaxDecodedPictureBytes >> 20));
        return true;
    }();
    (void)raised;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Opens a regular file for reading; -1 for anything else. Nothing else is even opened (opening a
// FIFO would wake a writer); O_NONBLOCK keeps the open from waiting should the file have been
// replaced by one meanwhile, and is cleared again before anything is read.
FileStamp StampFrom(const struct stat &info) {
    FileStamp stamp;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    stamp.changedNs = qint64(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
    return stamp;
}

int OpenRegularFile(const QString &path, FileStamp *stamp) {
    const QByteArray native = EncodeFileName(path);
    struct stat before {};
    if (::stat(native.constData(), &before) != 0 || !S_ISREG(before.st_mode)) return -1;
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    *stamp = StampFrom(info);
    return fd;
}

QByteArray ReadWhole(int fd, qint64 size) {
    QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t read =
            ::pread(fd, bytes.data() + got, static_cast<size_t>(bytes.size() - got), got);
        if (read <= 0) break;
        got += read;
    }
    bytes.resize(got);
    return bytes;
}

bool StartsAsJpeg(int fd) {
    unsigned char start[2] = {};
    return ::pread(fd, start, sizeof start, 0) == 2 && start[0] == 0xFF && start[1] == 0xD8;
}

QImageIOHandler::Transformations TransformationOf(int exifOrientation) {
    using T = QImageIOHandler;
    static constexpr T::Transformation kByOrientation[] = {
        T::TransformationNone,     T::TransformationNone,
        T::TransformationMirror,   T::TransformationRotate180,
        T::TransformationFlip,     T::TransformationFlipAndRotate90,
        T::TransformationRotate90, T::TransformationMirrorAndRotate90,
        T::TransformationRotate270};
    return exifOrientation >= 1 && exifOrientation <= 8 ? kByOrientation[exifOrientation]
                                                        : T::TransformationNone;
}

// What the header of the JPEG in `bytes` says about showing it: its orientation and colours.
void ReadShowingHints(const QByteArray &bytes, DecodedPicture *picture) {
    const JpegMetadata metadata =
        ReadJpegMetadata(reinterpret_cast<const uchar *>(bytes.constData()), bytes.size());
    picture->orientation = TransformationOf(metadata.orientation);
    if (!metadata.iccProfile.isEmpty())
        picture->colourSpace = QColorSpace::fromIccProfile(metadata.iccProfile);
}

// A colour JPEG at its natural size, decoded straight into 32-bit pixels, with what its header
// says about showing it; a null image when the file is none or does not decode that way, which
// leaves it to Qt's reader.
void DecodeColourJpeg(int fd, qint64 size, QSize fitBox, QSize *announced,
                      DecodedPicture *picture) {
    const QByteArray bytes = ReadWhole(fd, size);
    ColourJpeg jpeg(bytes);
    *announced = jpeg.size();
    if (!jpeg.recognised() || !IsAcceptablePictureSize(jpeg.size())) return;
    ReadShowingHints(bytes, picture);
    picture->reduction = ReductionToFit(UprightSize(jpeg.size(), picture->orientation), fitBox);
    picture->image = jpeg.Decode(picture->reduction);
}

QByteArray ReadHead(int fd, qint64 size) {
    QByteArray head(static_cast<qsizetype>(std::min(size, kGifHeadBytes)), Qt::Uninitialized);
    const ssize_t got = ::pread(fd, head.data(), static_cast<size_t>(head.size()), 0);
    head.resize(got > 0 ? got : 0);
    return head;
}

// The size the decoder will allocate. A GIF decodes to its logical screen, read from the file's
// header, whatever size the reader announces; only a screen of no size takes the frame's.
QSize AnnouncedSize(QImageReader &reader, int fd) {
    if (reader.format() != "gif") return reader.size();
    unsigned char header[10];
    if (::pread(fd, header, sizeof header, 0) != static_cast<ssize_t>(sizeof header)) return {};
    const QSize screen(header[6] | header[7] << 8, header[8] | header[9] << 8);
    return screen.isEmpty() ? reader.size() : screen;
}

}  // namespace

int ReductionToFit(QSize upright, QSize box) {
    if (box.isEmpty() || upright.isEmpty()) return 1;
    const double fit = std::min(
        {1.0, double(box.width()) / upright.width(), double(box.height()) / upright.height()});
    int reduction = 1;
    while (reduction < 8 && fit * reduction * 2 <= 1) reduction *= 2;
    return reduction;
}

bool IsAcceptablePictureSize(const QSize &size) {
    if (!size.isValid() || size.isEmpty()) return false;
    if (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide) return false;
    return qint64(size.width()) * size.height() * 4 <= kMaxDecodedPictureBytes;
}

std::optional<FileStamp> StampOf(const QString &path) {
    struct stat info {};
    if (::stat(EncodeFileName(path).constData(), &info) != 0) return std::nullopt;
    return StampFrom(info);
}

DecodedPicture DecodePictureFile(const QString &path, DecodeScale scale, QSize fitBox) {
    RaiseImageReaderLimit();
    DecodedPicture picture;
    FileStamp stamp;
    const Descriptor fd(OpenRegularFile(path, &stamp));
    const qint64 size = stamp.size;
    if (fd.get() < 0 || size == 0 || size > kMaxPictureFileBytes) return picture;
    if (scale == DecodeScale::Natural && StartsAsJpeg(fd.get())) {
        QSize announced;
        DecodeColourJpeg(fd.get(), size, fitBox, &announced, &picture);
        if (!announced.isEmpty() && !IsAcceptablePictureSize(announced)) return {};
        if (!picture.image.isNull()) {
            picture.naturalSize = announced;
            picture.format = "jpeg";
            picture.stamp = stamp;
            return picture;
        }
    }
    QFile file;
    if (!file.open(fd.get(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) return picture;

    QImageReader reader(&file);
    reader.setAutoTransform(false);
    const QSize announced = AnnouncedSize(reader, fd.get());
    // Refuse what the header announces as too big before anything is allocated for it.
    if (announced.isValid() && !IsAcceptablePictureSize(announced)) return picture;
    const QByteArray format = reader.format();
    if (scale == DecodeScale::JpegEighth && format == "jpeg" && announced.isValid())
        reader.setScaledSize(QSize((announced.width() + 7) / 8, (announced.height() + 7) / 8));
    QImage image;
    try {
        if (!reader.read(&image)) return picture;
    } catch (const std::bad_alloc &) {
        return picture;
    }
    // The picture's own size is what was decoded, unless the decoder was asked for less.
    const bool scaled = reader.scaledSize().isValid();
    const QSize natural = scaled ? announced : image.size();
    if (!IsAcceptablePictureSize(natural)) return picture;

    picture.orientation = reader.transformation();
    picture.reduction = 1;
    // Qt's JPEG reader takes the colour space from the ICC profile alone; other readers also
    // make one of gamma and white-point chunks, whose pictures are shown as stored.
    if (format == "jpeg") picture.colourSpace = image.colorSpace();
    picture.image = std::move(image);
    picture.naturalSize = natural;
    picture.format = format;
    picture.stamp = stamp;
    if (format == "gif") picture.head = ReadHead(fd.get(), size);
    return picture;
}

DecodedPicture DecodePicturePart(const QString &path, QSize shownBox) {
    DecodedPicture picture;
    FileStamp stamp;
    const Descriptor opened(OpenRegularFile(path, &stamp));
    if (opened.get() < 0 || stamp.size == 0 || stamp.size > kMaxPictureFileBytes ||
        !StartsAsJpeg(opened.get()) || shownBox.isEmpty())
        return picture;
    const QByteArray bytes = ReadWhole(opened.get(), stamp.size);
    const ColourJpeg jpeg(bytes);
    if (!jpeg.recognised() || !IsAcceptablePictureSize(jpeg.size())) return picture;
    ReadShowingHints(bytes, &picture);
    const QSize stored = jpeg.size();
    const QSize upright = UprightSize(stored, picture.orientation);
    const QRect shown(QPoint(0, 0), upright.boundedTo(shownBox));
    if (qint64(shown.width()) * shown.height() * 2 > qint64(upright.width()) * upright.height())
        return {};
    const JpegRegion region =
        DecodeJpegRegion(bytes, StoredRect(shown, stored, picture.orientation));
    if (region.image.isNull()) return {};
    picture.image = region.image;
    picture.part = region.region;
    picture.naturalSize = stored;
    picture.format = "jpeg";
    picture.stamp = stamp;
    return picture;
}

PictureJudgement JudgePictureFile(const QString &path, int openFd) {
    RaiseImageReaderLimit();
    {
        FileStamp stamp;
        struct stat info {};
        const bool given = openFd >= 0 && ::fstat(openFd, &info) == 0 && S_ISREG(info.st_mode);
        if (given) stamp = StampFrom(info);
        const Descriptor opened(given ? -1 : OpenRegularFile(path, &stamp));
        const int fd = given ? openFd : opened.get();
        if (fd < 0 || stamp.size == 0 || stamp.size > kMaxPictureFileBytes) return {};
        // A JPEG is judged from its markers first: a plain baseline one needs no decoder at all.
        if (StartsAsJpeg(fd)) {
            const JpegStructure structure = InspectJpegFile(fd, stamp.size);
            if (!structure.complete) return {};
            if (structure.plainBaseline)
                return {IsAcceptablePictureSize(structure.frameSize), structure.frameSize};
        }
        QFile file;
        if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) return {};
        QImageReader reader(&file);
        const QSize announced = AnnouncedSize(reader, fd);
        if (announced.isValid() && !IsAcceptablePictureSize(announced)) return {};
    }
    // Anything the marker walk cannot vouch for is decoded (a JPEG at an eighth of its size:
    // the decoder reads every coefficient either way).
    const DecodedPicture picture = DecodePictureFile(path, DecodeScale::JpegEighth);
    if (picture.image.isNull()) return {};
    return {true, picture.naturalSize};
}
