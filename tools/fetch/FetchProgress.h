#pragma once

#include <QString>
#include <QtGlobal>

struct ProgressReading;

// One line of a download's progress: "35张/1000张，1.2 MB/秒，还需0:42"; the rate and the time
// left once something has arrived.
QString ProgressLine(const ProgressReading &reading, qint64 receivedBytes, double seconds);
