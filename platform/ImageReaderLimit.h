#pragma once

#include <QtGlobal>

// Largest decoded picture the program accepts (4 bytes per pixel assumed).
inline constexpr qint64 kMaxDecodedPictureBytes = 1024LL << 20;

// Raises Qt's image allocation limit to kMaxDecodedPictureBytes, once per process, so that the
// picture view and the download's picture test accept and refuse the same pictures.
void RaiseImageReaderLimit();
