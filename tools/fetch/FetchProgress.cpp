#include "FetchProgress.h"

#include <cmath>

#include "download/DownloadProgress.h"

namespace {

QString Rate(double bytesPerSecond) {
    if (bytesPerSecond >= 1024 * 1024)
        return QStringLiteral("%1 MB/秒").arg(bytesPerSecond / (1024 * 1024), 0, 'f', 1);
    return QStringLiteral("%1 KB/秒").arg(bytesPerSecond / 1024, 0, 'f', 0);
}

QString Duration(double seconds) {
    const auto whole = static_cast<long long>(std::ceil(seconds));
    const QString minutesAndSeconds =
        QStringLiteral("%1:%2").arg(whole / 60 % 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
    if (whole < 3600) return minutesAndSeconds;
    return QStringLiteral("%1:%2").arg(whole / 3600).arg(minutesAndSeconds.rightJustified(5, u'0'));
}

}  // namespace

QString ProgressLine(const ProgressReading &reading, qint64 receivedBytes, double seconds) {
    QString line = QStringLiteral("%1张/%2张").arg(reading.reached).arg(reading.batchSize);
    if (reading.reached <= 0 || seconds <= 0) return line;
    line += QStringLiteral("，") + Rate(receivedBytes / seconds);
    const double left = (reading.batchSize - reading.reached) * seconds / reading.reached;
    return line + QStringLiteral("，还需") + Duration(left);
}
