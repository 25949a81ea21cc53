#include "download/SaveFailures.h"

#include <QStringList>
#include <cerrno>
#include <numeric>

QString SaveFailureText(SaveFailure reason) {
    switch (reason) {
        case SaveFailure::NoSpace:
            return QStringLiteral("磁盘空间不足");
        case SaveFailure::NoPermission:
            return QStringLiteral("没有写入权限");
        case SaveFailure::ReadOnly:
            return QStringLiteral("文件系统只读");
        case SaveFailure::NoFolder:
            return QStringLiteral("文件夹不存在");
        case SaveFailure::Other:
            break;
    }
    return QStringLiteral("写入出错");
}

SaveFailure SaveFailureOf(int error) {
    switch (error) {
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return SaveFailure::NoSpace;
        case EACCES:
        case EPERM:
            return SaveFailure::NoPermission;
        case EROFS:
            return SaveFailure::ReadOnly;
        case ENOENT:
        case ENOTDIR:
            return SaveFailure::NoFolder;
        default:
            return SaveFailure::Other;
    }
}

int SaveReport::unsavedTotal() const { return std::accumulate(unsaved.begin(), unsaved.end(), 0); }

QString UnsavedText(const SaveReport &report) {
    const int total = report.unsavedTotal();
    if (total == 0) return QString();
    QStringList reasons;
    for (int kind = 0; kind < kSaveFailureKinds; ++kind) {
        const int count = report.unsaved[static_cast<std::size_t>(kind)];
        if (count == 0) continue;
        const QString reason = SaveFailureText(static_cast<SaveFailure>(kind));
        reasons << (count == total ? reason : QStringLiteral("%1%2张").arg(reason).arg(count));
    }
    return QStringLiteral("%1张图片无法保存：%2").arg(total).arg(reasons.join(u'，'));
}

QString SavedSummary(const SaveReport &report) {
    QStringList parts{QStringLiteral("已保存%1张图片").arg(report.kept)};
    if (report.rejected > 0) parts << QStringLiteral("%1张不是有效图片").arg(report.rejected);
    if (const QString unsaved = UnsavedText(report); !unsaved.isEmpty()) parts << unsaved;
    return parts.join(u'，');
}
