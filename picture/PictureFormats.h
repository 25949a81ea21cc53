#pragma once

#include <QList>
#include <QRgb>
#include <QtGlobal>

// What the decoders leave unsaid about a file's own format, read from its bytes.

// The colour table of a GIF's first picture (its local table, else the global one); empty
// when there is none. The decoder hands GIFs over as 32-bit pictures without it.
QList<QRgb> GifColourTable(const uchar *data, qint64 size);
