#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QColorSpace>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <thread>

#include "PictureFiles.h"
#include "picture/PictureRule.h"
#include "picture/PictureTest.h"
#include "support/TestFolders.h"
#include "view/ViewPicture.h"

namespace {

struct BadFile {
    const char *name;
    std::function<QByteArray()> bytes;
};

void PrintTo(const BadFile &file, std::ostream *os) { *os << file.name; }

class DecodeRefuses : public ::testing::TestWithParam<BadFile> {};

TEST_P(DecodeRefuses, FailsAndStaysEmpty) {
    TestFolder folder;
    const QString path = folder.WriteFile(QStringLiteral("p.jpg"), GetParam().bytes());
    const QImage image = DecodeViewPicture(path).image;
    EXPECT_TRUE(image.isNull());
    EXPECT_EQ(image.width(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, DecodeRefuses,
    ::testing::Values(
        BadFile{"Empty", [] { return QByteArray(); }},
        BadFile{"Text", [] { return QByteArray("not a picture at all\n"); }},
        BadFile{"JpegClaiming60000Square", [] { return JpegClaimingSize(60000, 60000); }},
        BadFile{"GifClaiming60000Square", [] { return GifClaimingSize(60000, 60000); }}),
    [](const auto &info) { return std::string(info.param.name); });

QByteArray TruncatedJpeg() {
    const QByteArray whole = Encode(PatternImage(256, 256), "JPG", 90);
    return whole.left(whole.size() * 2 / 3);
}

QByteArray TruncatedProgressiveJpeg() {
    const QByteArray whole = ProgressiveJpeg(PatternImage(256, 256));
    return whole.left(whole.size() * 3 / 4);
}

// A truncated picture whose embedded thumbnail is complete.
QByteArray TruncatedJpegWithThumbnail() {
    const QByteArray whole =
        WithApp1(Encode(PatternImage(256, 256), "JPG", 90), Encode(PatternImage(8, 8), "JPG"));
    return whole.left(whole.size() - 500);
}

// The pixels Qt's own reader makes of `bytes`, for comparison.
QImage ReadByQt(const QByteArray &bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    return reader.read().convertToFormat(QImage::Format_ARGB32);
}

class DecodeShowsDamaged : public ::testing::TestWithParam<BadFile> {};

// A damaged picture from elsewhere shows what the decoder makes of it, at its own size.
TEST_P(DecodeShowsDamaged, AtItsNaturalSize) {
    TestFolder folder;
    const QByteArray bytes = GetParam().bytes();
    const QString path = folder.WriteFile(QStringLiteral("p.jpg"), bytes);
    const QImage image = DecodeViewPicture(path).image;
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), 256);
    EXPECT_EQ(image.height(), 256);
    EXPECT_EQ(image.convertToFormat(QImage::Format_ARGB32), ReadByQt(bytes));
}

INSTANTIATE_TEST_SUITE_P(Truncated, DecodeShowsDamaged,
                         ::testing::Values(BadFile{"Baseline", TruncatedJpeg},
                                           BadFile{"Progressive", TruncatedProgressiveJpeg},
                                           BadFile{"WithThumbnail", TruncatedJpegWithThumbnail}),
                         [](const auto &info) { return std::string(info.param.name); });

// One rule for what a picture is: the download keeps only what the view shows.
struct RuleCase {
    const char *name;
    std::function<QByteArray()> bytes;
    qint64 sparseSize;  // > 0: the file is then stretched to this size with a hole
    PictureVerdict kept;
    bool shown;
};

void PrintTo(const RuleCase &c, std::ostream *os) { *os << c.name; }

class PictureRuleTest : public ::testing::TestWithParam<RuleCase> {};

TEST_P(PictureRuleTest, TheDownloadKeepsOnlyWhatTheViewShows) {
    const RuleCase &c = GetParam();
    TestFolder folder;
    const QString path = folder.WriteFile(QStringLiteral("p.jpg"), c.bytes());
    if (c.sparseSize > 0) {
        ASSERT_EQ(truncate(QFile::encodeName(path), c.sparseSize), 0);
    }
    EXPECT_EQ(!DecodeViewPicture(path).image.isNull(), c.shown);
    EXPECT_EQ(JudgePicture(path), c.kept);
}

QByteArray Photo() { return Encode(PatternImage(400, 400), "JPG", 90); }

// The photo with its first Huffman table claiming two codes of one bit (a code of all ones),
// the symbol count unchanged: the decoder gives up on it.
QByteArray WithOverfullHuffmanTable() {
    QByteArray jpeg = Photo();
    const qsizetype table = jpeg.indexOf(QByteArray("\xFF\xC4", 2)) + 5;  // the 16 counts
    for (int length = 1; length < 16; ++length) {
        if (uchar(jpeg[table + length]) >= 2) {
            jpeg[table + length] = char(uchar(jpeg[table + length]) - 2);
            jpeg[table] = char(uchar(jpeg[table]) + 2);
            break;
        }
    }
    return jpeg;
}

// The photo's frame pointing its first component at a quantisation table it never defines.
QByteArray WithUndefinedQuantTable() {
    QByteArray jpeg = Photo();
    const qsizetype frame = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
    jpeg[frame + 12] = 3;  // FF C0, length, precision, height, width, count, then id, HV, Tq
    return jpeg;
}

INSTANTIATE_TEST_SUITE_P(
    Files, PictureRuleTest,
    ::testing::Values(
        RuleCase{"CompleteJpeg", Photo, 0, PictureVerdict::Accepted, true},
        RuleCase{"JpegCutShort", [] { return Photo().left(Photo().size() * 2 / 3); }, 0,
                 PictureVerdict::NotAPicture, true},
        RuleCase{"JpegWithoutEndMarker", [] { return Photo().chopped(2); }, 0,
                 PictureVerdict::NotAPicture, true},
        RuleCase{"JpegClaimingMoreThanTheViewHolds", [] { return JpegClaimingSize(20000, 20000); },
                 0, PictureVerdict::NotAPicture, false},
        RuleCase{"ProgressiveJpeg", [] { return ProgressiveJpeg(PatternImage(400, 400)); }, 0,
                 PictureVerdict::Accepted, true},
        RuleCase{"GreyJpeg",
                 [] {
                     return Encode(
                         PatternImage(400, 400).convertToFormat(QImage::Format_Grayscale8), "JPG");
                 },
                 0, PictureVerdict::Accepted, true},
        RuleCase{"JpegWithThumbnail",
                 [] { return WithApp1(Photo(), Encode(PatternImage(8, 8), "JPG")); }, 0,
                 PictureVerdict::Accepted, true},
        RuleCase{"JpegWithOverfullHuffmanTable", WithOverfullHuffmanTable, 0,
                 PictureVerdict::NotAPicture, false},
        RuleCase{"JpegWithUndefinedQuantTable", WithUndefinedQuantTable, 0,
                 PictureVerdict::NotAPicture, false},
        // Decoded at its 5000 x 500 logical screen, though the reader announces its 2 x 2
        // frame's width.
        RuleCase{"GifScreenLargerThanItsFrame",
                 [] {
                     QByteArray gif = PaletteGif(2, 2, {0, 0, 0, 0});
                     gif[6] = char(5000 & 0xFF), gif[7] = char(5000 >> 8);
                     gif[8] = char(500 & 0xFF), gif[9] = char(500 >> 8);
                     return gif;
                 },
                 0, PictureVerdict::Accepted, true},
        // 3 GB that begin with a good photo: refused before anything is read.
        RuleCase{"FileLargerThanAnyPicture", Photo, 3LL << 30, PictureVerdict::NotAPicture, false}),
    [](const auto &info) { return std::string(info.param.name); });

// Opening a FIFO for reading waits for a writer; the holder must not wait on one. The watcher
// only ever gets in when the holder has the FIFO open, and then lets it go on.
TEST(DecodeViewPicture, FifoIsRefusedWithoutOpeningIt) {
    TestFolder folder;
    const QString path = folder.At(QStringLiteral("pipe.jpg"));
    ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    std::atomic<bool> loading{true};
    std::atomic<bool> opened{false};
    std::thread watcher([&] {
        while (loading) {
            const int fd = open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                opened = true;
                close(fd);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    const QImage image = DecodeViewPicture(path).image;
    loading = false;
    watcher.join();
    EXPECT_FALSE(opened);
    EXPECT_TRUE(image.isNull());
}

TEST(DecodeViewPicture, MissingFileFails) {
    const QImage image = DecodeViewPicture(QStringLiteral("/nonexistent/folder/p.jpg")).image;
}

struct Format {
    const char *name;
    std::function<QByteArray()> bytes;
    int width, height;
};

void PrintTo(const Format &format, std::ostream *os) { *os << format.name; }

class DecodeDecidesFormatFromContent : public ::testing::TestWithParam<Format> {};

// Whichever decoder takes the file, the pixels are those of Qt's reader.
TEST_P(DecodeDecidesFormatFromContent, LoadsUnderJpgName) {
    TestFolder folder;
    const QByteArray bytes = GetParam().bytes();
    const QString path = folder.WriteFile(QStringLiteral("p.jpg"), bytes);
    const QImage image = DecodeViewPicture(path).image;
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), GetParam().width);
    EXPECT_EQ(image.height(), GetParam().height);
    EXPECT_EQ(image.convertToFormat(QImage::Format_ARGB32), ReadByQt(bytes));
}

INSTANTIATE_TEST_SUITE_P(
    Formats, DecodeDecidesFormatFromContent,
    ::testing::Values(
        Format{"Png", [] { return Encode(PatternImage(7, 5), "PNG"); }, 7, 5},
        Format{"Bmp", [] { return Encode(PatternImage(9, 4), "BMP"); }, 9, 4},
        Format{"Gif",
               [] {
                   return PaletteGif(6, 3, {0, 0, 0, 0});
               },
               6, 3},
        Format{"Jpeg", [] { return Encode(PatternImage(33, 17), "JPG"); }, 33, 17},
        Format{"ProgressiveJpeg", [] { return ProgressiveJpeg(PatternImage(120, 90)); }, 120, 90},
        Format{"JpegWithThumbnail",
               [] {
                   return WithApp1(Encode(PatternImage(64, 48), "JPG"),
                                   Encode(PatternImage(8, 8), "JPG"));
               },
               64, 48},
        Format{"JpegWithTrailingBytes",
               [] { return Encode(PatternImage(30, 20), "JPG") + "trailer\xFF"; }, 30, 20}),
    [](const auto &info) { return std::string(info.param.name); });

// A photo of four coloured quarters as its file stores them, and where each lands on screen; the
// large ones are turned on two threads.
const QSize kWide(64, 32), kTall(32, 64), kLargeWide(2048, 1024), kLargeTall(1024, 2048);
constexpr QRgb kRed = qRgb(255, 0, 0), kGreen = qRgb(0, 255, 0), kBlue = qRgb(0, 0, 255),
               kWhite = qRgb(255, 255, 255);

QByteArray QuarterPhoto(const QByteArray &exif, QSize size) {
    QImage stored(size, QImage::Format_RGB32);
    const int middleX = size.width() / 2, middleY = size.height() / 2;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            stored.setPixel(
                x, y, y < middleY ? (x < middleX ? kRed : kGreen) : (x < middleX ? kBlue : kWhite));
    const QByteArray jpeg = Encode(stored, "JPG", 100);
    return exif.isEmpty() ? jpeg : WithApp1(jpeg, exif);
}

struct OrientationCase {
    const char *name;
    QByteArray exif;
    QSize shown;
    QRgb topLeft, topRight, bottomLeft, bottomRight;
};

void PrintTo(const OrientationCase &c, std::ostream *os) { *os << c.name; }

class Orientation : public ::testing::TestWithParam<OrientationCase> {};

TEST_P(Orientation, ShowsThePhotoAsTheCameraMeantIt) {
    const OrientationCase &c = GetParam();
    TestFolder folder;
    const QSize stored = c.shown.width() > 64 || c.shown.height() > 64 ? kLargeWide : kWide;
    const QString path = folder.WriteFile(QStringLiteral("p.jpg"), QuarterPhoto(c.exif, stored));
    const QImage image = DecodeViewPicture(path).image;
    ASSERT_EQ(image.size(), c.shown);
    const int right = c.shown.width() - 3, bottom = c.shown.height() - 3;
    const std::pair<QPoint, QRgb> corners[] = {{{2, 2}, c.topLeft},
                                               {{right, 2}, c.topRight},
                                               {{2, bottom}, c.bottomLeft},
                                               {{right, bottom}, c.bottomRight}};
    for (const auto &[at, expected] : corners) {
        const QRgb got = image.pixel(at);
        EXPECT_NEAR(qRed(got), qRed(expected), 8) << at.x() << "," << at.y();
        EXPECT_NEAR(qGreen(got), qGreen(expected), 8) << at.x() << "," << at.y();
        EXPECT_NEAR(qBlue(got), qBlue(expected), 8) << at.x() << "," << at.y();
    }
    // The download judges the file as stored.
    EXPECT_EQ(JudgePictureFile(path).naturalSize, stored);
}

INSTANTIATE_TEST_SUITE_P(
    Exif, Orientation,
    ::testing::Values(
        OrientationCase{"Untagged", {}, kWide, kRed, kGreen, kBlue, kWhite},
        OrientationCase{"1", ExifOrientation(1), kWide, kRed, kGreen, kBlue, kWhite},
        OrientationCase{"2Mirrored", ExifOrientation(2), kWide, kGreen, kRed, kWhite, kBlue},
        OrientationCase{"3Turned", ExifOrientation(3), kWide, kWhite, kBlue, kGreen, kRed},
        OrientationCase{"4Flipped", ExifOrientation(4), kWide, kBlue, kWhite, kRed, kGreen},
        OrientationCase{"5Transposed", ExifOrientation(5), kTall, kRed, kBlue, kGreen, kWhite},
        OrientationCase{"6Clockwise", ExifOrientation(6), kTall, kBlue, kRed, kWhite, kGreen},
        OrientationCase{"7Transversed", ExifOrientation(7), kTall, kWhite, kGreen, kBlue, kRed},
        OrientationCase{"8Anticlockwise", ExifOrientation(8), kTall, kGreen, kWhite, kRed, kBlue},
        OrientationCase{"6Large", ExifOrientation(6), kLargeTall, kBlue, kRed, kWhite, kGreen},
        OrientationCase{"6BigEndian", ExifOrientation(6, true), kTall, kBlue, kRed, kWhite, kGreen},
        OrientationCase{"OutOfRange", ExifOrientation(9), kWide, kRed, kGreen, kBlue, kWhite},
        OrientationCase{"NotAShort", ExifOrientation(6, false, 4), kWide, kRed, kGreen, kBlue,
                        kWhite},
        OrientationCase{"CutOff", ExifOrientation(6).left(14), kWide, kRed, kGreen, kBlue, kWhite}),
    [](const auto &info) { return std::string(info.param.name); });

// Stored values under an embedded profile, and what they are in sRGB. The expected values were
// worked out once from each profile's primaries, white point and curve (Bradford adaptation).
struct ProfileCase {
    const char *name;
    std::function<QByteArray()> profile;  // empty: none embedded
    int pieces;
    QRgb stored, expected;
};

void PrintTo(const ProfileCase &c, std::ostream *os) { *os << c.name; }

class Profile : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(Profile, ConvertsToSrgbOrKeepsTheValues) {
    const ProfileCase &c = GetParam();
    QImage uniform(32, 32, QImage::Format_RGB32);
    uniform.fill(c.stored);
    const QByteArray untagged = Encode(uniform, "JPG", 100);
    const QByteArray profile = c.profile();
    TestFolder folder;
    const QString path = folder.WriteFile(
        QStringLiteral("p.jpg"),
        profile.isEmpty() ? untagged : WithIccProfile(untagged, profile, c.pieces));
    const QImage image = DecodeViewPicture(path).image;
    ASSERT_EQ(image.size(), QSize(32, 32));
    const QRgb got = image.pixel(16, 16);
    EXPECT_NEAR(qRed(got), qRed(c.expected), 3);
    EXPECT_NEAR(qGreen(got), qGreen(c.expected), 3);
    EXPECT_NEAR(qBlue(got), qBlue(c.expected), 3);
    if (c.stored == c.expected) {  // no conversion: the decoder's values, exactly
        const QImage plain = DecodeViewPicture(folder.WriteFile("plain.jpg", untagged)).image;
        EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32),
                  plain.convertToFormat(QImage::Format_RGB32));
    }
}

QByteArray ProfileOf(QColorSpace::NamedColorSpace space) { return QColorSpace(space).iccProfile(); }

INSTANTIATE_TEST_SUITE_P(
    Icc, Profile,
    ::testing::Values(ProfileCase{"AdobeRgb", [] { return ProfileOf(QColorSpace::AdobeRgb); }, 1,
                                  qRgb(140, 200, 90), qRgb(105, 201, 80)},
                      ProfileCase{"AdobeRgbInTwoPieces",
                                  [] { return ProfileOf(QColorSpace::AdobeRgb); }, 2,
                                  qRgb(200, 60, 90), qRgb(232, 57, 91)},
                      ProfileCase{"ProPhoto", [] { return ProfileOf(QColorSpace::ProPhotoRgb); }, 1,
                                  qRgb(120, 160, 60), qRgb(120, 183, 36)},
                      ProfileCase{"Srgb", [] { return ProfileOf(QColorSpace::SRgb); }, 1,
                                  qRgb(60, 120, 200), qRgb(60, 120, 200)},
                      ProfileCase{"Unreadable", [] { return QByteArray(600, '\x5A'); }, 1,
                                  qRgb(60, 120, 200), qRgb(60, 120, 200)},
                      ProfileCase{"CutOff",
                                  [] { return ProfileOf(QColorSpace::AdobeRgb).left(300); }, 1,
                                  qRgb(60, 120, 200), qRgb(60, 120, 200)},
                      ProfileCase{"None", [] { return QByteArray(); }, 1, qRgb(60, 120, 200),
                                  qRgb(60, 120, 200)}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(DecodeViewPicture, PaletteGifKeepsDepthAndColourTable) {
    TestFolder folder;
    const std::vector<QRgb> palette = {qRgb(255, 0, 0), qRgb(0, 128, 0), qRgb(10, 20, 30),
                                       qRgb(250, 240, 230)};
    const QImage image =
        DecodeViewPicture(folder.WriteFile(QStringLiteral("g.jpg"), PaletteGif(5, 4, palette)))
            .image;
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.depth(), 8);
    EXPECT_EQ(image.format(), QImage::Format_Indexed8);
    const QList<QRgb> table = image.colorTable();
    ASSERT_GE(table.size(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(table[i] | 0xFF000000, palette[i]) << i;
    EXPECT_EQ(image.pixelIndex(3, 2), (3 + 2) % 4);
}

TEST(DecodeViewPicture, GreyJpegStaysEightBitGrey) {
    TestFolder folder;
    QImage grey(24, 16, QImage::Format_Grayscale8);
    grey.fill(90);
    const QImage image =
        DecodeViewPicture(folder.WriteFile(QStringLiteral("g.jpg"), Encode(grey, "JPG", 95))).image;
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.depth(), 8);
    EXPECT_TRUE(image.isGrayscale());
    EXPECT_FALSE(image.hasAlphaChannel());
}

TEST(DecodeViewPicture, AlphaPngKeepsRowsUnchangedAndBlendsSourceOver) {
    TestFolder folder;
    QImage source(4, 2, QImage::Format_ARGB32);
    source.fill(qRgba(200, 100, 0, 128));
    source.setPixel(0, 0, qRgba(10, 20, 30, 0));
    source.setPixel(1, 0, qRgba(10, 20, 30, 255));
    const QImage image =
        DecodeViewPicture(folder.WriteFile(QStringLiteral("a.jpg"), Encode(source, "PNG"))).image;
    ASSERT_FALSE(image.isNull());
    EXPECT_TRUE(image.hasAlphaChannel());
    EXPECT_EQ(image.depth(), 32);
    EXPECT_EQ(image.convertToFormat(QImage::Format_ARGB32), source);

    QImage target(4, 2, QImage::Format_RGB32);
    target.fill(qRgb(0, 0, 255));
    {
        QPainter painter(&target);
        DrawViewPicture(painter, image, QRectF(0, 0, 4, 2));
    }
    EXPECT_EQ(target.pixel(0, 0), qRgb(0, 0, 255));   // transparent: background stays
    EXPECT_EQ(target.pixel(1, 0), qRgb(10, 20, 30));  // opaque: the picture
    const QRgb half = target.pixel(2, 1);             // half: a mix of both
    EXPECT_NEAR(qRed(half), 100, 2);
    EXPECT_NEAR(qGreen(half), 50, 2);
    EXPECT_NEAR(qBlue(half), 127, 2);
}

TEST(DecodeViewPicture, FileCanBeDeletedWhileShown) {
    TestFolder folder;
    const QString path =
        folder.WriteFile(QStringLiteral("p.jpg"), Encode(PatternImage(8, 8), "JPG"));
    const QImage image = DecodeViewPicture(path).image;
    ASSERT_FALSE(image.isNull());
    EXPECT_TRUE(QFile::remove(path));
    EXPECT_EQ(image.width(), 8);
}

TEST(DecodeViewPicture, FiftyMegapixelPhotoLoads) {
    TestFolder folder;
    QImage photo(8660, 5780, QImage::Format_RGB32);  // 50.05 megapixels
    photo.fill(qRgb(120, 130, 140));
    const QString path = folder.WriteFile(QStringLiteral("big.jpg"), Encode(photo, "JPG", 50));
    photo = QImage();
    const QImage image = DecodeViewPicture(path).image;
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), 8660);
    EXPECT_EQ(image.height(), 5780);
}

}  // namespace

namespace {

// A smooth photo-like field, so that two ways of scaling it down agree within a few units.
QImage SmoothField(int width, int height) {
    QImage field(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            field.setPixel(
                x, y,
                qRgb(128 + int(100 * std::sin(x / 90.0)), 128 + int(100 * std::cos(y / 70.0)),
                     (x + y) * 255 / (width + height)));
    return field;
}

int LargestDifference(const QImage &a, const QImage &b) {
    int largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)),
                                std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
        }
    return largest;
}

// Fitted at half its size or less, a JPEG is decoded smaller by the decoder's DCT scaling and
// only its fitted copy is kept; it matches the whole picture scaled down.
TEST(DecodeViewPicture, FittedSmallEnoughDecodesOnlyWhatIsShown) {
    TestFolder folder;
    const QByteArray jpeg = Encode(SmoothField(1600, 1200), "JPG", 95);
    const struct {
        const char *name;
        QByteArray bytes;
        QSize pane, fitted;
        bool whole;  // the natural pixels are kept too
    } cases[] = {
        {"Quarter", jpeg, {400, 300}, {400, 300}, false},
        {"TurnedEighth", WithApp1(jpeg, ExifOrientation(6)), {200, 150}, {113, 150}, false},
        {"MoreThanHalfIsDecodedWhole", jpeg, {1000, 800}, {1000, 750}, true},
    };
    for (const auto &c : cases) {
        const QString path = folder.WriteFile(QString::fromUtf8(c.name) + ".jpg", c.bytes);
        const ViewPicture fitted = DecodeViewPicture(path, c.pane);
        const ViewPicture whole = DecodeViewPicture(path);
        EXPECT_EQ(fitted.size, whole.image.size()) << c.name;
        ASSERT_EQ(fitted.fitted.size(), c.fitted) << c.name;
        EXPECT_EQ(!fitted.image.isNull(), c.whole) << c.name;
        EXPECT_LE(LargestDifference(fitted.fitted, ScaledViewPicture(whole.image, c.fitted)), 6)
            << c.name;
    }
}

}  // namespace

namespace {

// The visible part alone gives the pixels the whole decode gives there, turned as the camera
// meant the picture; a picture smaller than the part, or mostly visible anyway, is left whole.
TEST(DecodeVisiblePart, MatchesTheWholeDecodePixelForPixel) {
    TestFolder folder;
    const QByteArray jpeg = Encode(SmoothField(1600, 1200), "JPG", 90);
    const struct {
        const char *name;
        QByteArray bytes;
        QSize visible;
        bool part;
    } cases[] = {
        {"TopLeft", jpeg, {400, 300}, true},
        {"Turned", WithApp1(jpeg, ExifOrientation(6)), {500, 300}, true},
        {"Mirrored", WithApp1(jpeg, ExifOrientation(2)), {333, 250}, true},
        {"MostlyVisible", jpeg, {1500, 1000}, false},
    };
    for (const auto &c : cases) {
        const QString path = folder.WriteFile(QString::fromUtf8(c.name) + ".jpg", c.bytes);
        const ViewPicture part = DecodeVisiblePart(path, c.visible);
        ASSERT_EQ(!part.isNull(), c.part) << c.name;
        if (!c.part) continue;
        const QImage whole = DecodeViewPicture(path).image;
        EXPECT_EQ(part.size, whole.size()) << c.name;
        EXPECT_TRUE(part.part.contains(QRect(QPoint(0, 0), c.visible))) << c.name;
        EXPECT_EQ(part.image.size(), part.part.size()) << c.name;
        EXPECT_EQ(LargestDifference(part.image, whole.copy(part.part)), 0) << c.name;
        EXPECT_EQ(part.image.format(), whole.format()) << c.name;
    }
}

}  // namespace
