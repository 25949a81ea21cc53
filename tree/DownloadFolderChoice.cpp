#include "tree/DownloadFolderChoice.h"

#include "platform/DirectoryListing.h"
#include "platform/FileNames.h"
#include "platform/Prompter.h"
#include "platform/SettingsStore.h"

FolderChoice ChooseDownloadFolder(bool mustChoose, const FolderChoiceServices &services,
                                  QWidget *owner) {
    Prompter &prompter = services.prompter;
    const std::function<StorageKind(const QString &)> storageKind =
        services.storageKind ? services.storageKind : StorageKindOf;
    bool refused = false;
    for (;;) {
        const std::optional<QString> chosen =
            prompter.ChooseFolder(owner, QStringLiteral("将图片下载到哪个文件夹？"));
        if (!chosen) {
            if (mustChoose) {
                prompter.Tell(owner, QStringLiteral("请选择将图片下载到哪个文件夹"));
                continue;
            }
            return {std::nullopt, refused};
        }
        // No file-system path, nothing that is a folder, or a path that the one-line setting
        // cannot hold.
        if (chosen->isEmpty() || !IsFolder(*chosen) || chosen->contains(u'\n') ||
            chosen->contains(u'\r')) {
            prompter.Tell(owner, QStringLiteral("设置的文件夹无效"));
            refused = true;
            continue;
        }
        if (!IsAcceptedStorage(storageKind(*chosen))) {
            prompter.Tell(owner, QStringLiteral("只能设定硬盘或可移动磁盘上的文件夹"));
            prompter.Tell(owner, QStringLiteral("设置的文件夹无效"));
            refused = true;
            continue;
        }
        const QString root = WithoutTrailingSlash(*chosen);
        services.settings.WriteSetting(QStringLiteral("path"), root);
        return {root, true};
    }
}
