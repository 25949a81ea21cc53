#include "download/DownloadRoot.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "download/SaveFailures.h"
#include "platform/FileNames.h"

QString DownloadRootProblem(const QString &root,
                            const std::function<StorageKind(const QString &)> &storageKind) {
    if (!IsFolder(root)) return QStringLiteral("下载文件夹不存在：%1").arg(root);
    if (!IsAcceptedStorage(storageKind(root)))
        return QStringLiteral("只能设定硬盘或可移动磁盘上的文件夹：%1").arg(root);
    if (::faccessat(AT_FDCWD, EncodeFileName(root).constData(), W_OK, AT_EACCESS) != 0)
        return QStringLiteral("下载文件夹无法写入：%1（%2）")
            .arg(root, SaveFailureText(SaveFailureOf(errno)));
    return QString();
}
