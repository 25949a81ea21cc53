#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// File names on Linux are bytes, not text. A QString carries them losslessly: valid UTF-8 decodes
// as usual, and each byte of an invalid sequence becomes the lone surrogate U+DC80..U+DCFF, which
// no valid UTF-8 can produce. Every path that reaches the file system goes through EncodeFileName.

QString DecodeFileName(QByteArrayView bytes);
QByteArray EncodeFileName(QStringView name);

// The name as the user sees it: each escaped byte shows as U+FFFD.
QString DisplayName(QStringView name);

// Whether `path` exists (any kind), or is a folder; symbolic links are followed.
bool PathExists(const QString &path);
bool IsFolder(const QString &path);
