#pragma once

#include <QByteArray>
#include <QImage>
#include <QRgb>
#include <QString>
#include <vector>

// Small picture files for the view's tests, in memory; write them with TestFolder::WriteFile.

// `image` encoded as `format` ("PNG", "JPG", "BMP").
QByteArray Encode(const QImage &image, const char *format, int quality = -1);

// An opaque picture whose every pixel differs from its neighbours: red = x, green = y, blue
// from both, so that a shifted copy shows.
QImage PatternImage(int width, int height);
QRgb PatternPixel(int x, int y);

// A GIF of `width` x `height` with the 4-colour `palette`; pixel (x, y) has index (x + y) % 4.
QByteArray PaletteGif(int width, int height, const std::vector<QRgb> &palette);

// A JPEG of the given size whose frame header is rewritten to claim `claimedWidth` x
// `claimedHeight`; the scan data still belongs to the small picture.
QByteArray JpegClaimingSize(int claimedWidth, int claimedHeight);

// A small GIF whose screen and image descriptors claim `claimedWidth` x `claimedHeight`.
QByteArray GifClaimingSize(int claimedWidth, int claimedHeight);

// A progressive JPEG of `image`.
QByteArray ProgressiveJpeg(const QImage &image);

// `jpeg` with `payload` carried in an APP1 segment right after its start marker, the way
// cameras embed a thumbnail with its own end marker.
QByteArray WithApp1(const QByteArray &jpeg, const QByteArray &payload);

// The TIFF block of an EXIF segment (for WithApp1) whose first directory holds the Orientation
// tag with `value`, in big- or little-endian order; `type` 3 is the SHORT the tag is defined as.
QByteArray ExifOrientation(int value, bool bigEndian = false, int type = 3);

// `jpeg` with `profile` embedded as an ICC profile in `pieces` APP2 segments, as cameras and
// editors write it.
QByteArray WithIccProfile(const QByteArray &jpeg, const QByteArray &profile, int pieces = 1);
