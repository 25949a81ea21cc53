#include "tree/DownloadFolderChoice.h"

#include <QFileInfo>

#include "app/FrameEnvironment.h"
#include "app/FrameState.h"
#include "platform/Prompter.h"
#include "platform/StorageKind.h"
#include "tree/FolderTree.h"
#include "view/CLumoraView.h"

namespace {

void Inform(Prompter &prompter, QWidget *owner, const QString &text) {
    prompter.ShowMessage(owner, {text, QString(), Buttons::Ok, Icon::None});
}

// Trailing separators go; the file-system root stays "/".
QString WithoutTrailingSeparator(QString path) {
    while (path.size() > 1 && path.endsWith(u'/')) path.chop(1);
    return path;
}

void RebuildAndSelectRoot(FolderTree &tree) {
    tree.RefreshFolderNode(nullptr, QString());
    tree.setCurrentItem(tree.RootNode());
}

}  // namespace

void OnChooseDownloadFolder(bool mustChoose, FolderTree &tree, const FrameEnvironment &env,
                            QWidget *owner) {
    Prompter &prompter = *env.prompter;
    const std::function<StorageKind(const QString &)> storageKind =
        env.storageKind ? env.storageKind : StorageKindOf;
    bool refused = false;
    for (;;) {
        const std::optional<QString> chosen =
            prompter.ChooseFolder(owner, QStringLiteral("将图片下载到哪个文件夹？"));
        if (!chosen) {
            if (mustChoose) {
                Inform(prompter, owner, QStringLiteral("请选择将图片下载到哪个文件夹"));
                continue;
            }
            if (refused) RebuildAndSelectRoot(tree);
            return;
        }
        // No file-system path, nothing that is a folder, or a path that the one-line setting
        // cannot hold.
        if (chosen->isEmpty() || !QFileInfo(*chosen).isDir() || chosen->contains(u'\n') ||
            chosen->contains(u'\r')) {
            Inform(prompter, owner, QStringLiteral("设置的文件夹无效"));
            refused = true;
            continue;
        }
        if (!IsAcceptedStorage(storageKind(*chosen))) {
            Inform(prompter, owner, QStringLiteral("只能设定硬盘或可移动磁盘上的文件夹"));
            Inform(prompter, owner, QStringLiteral("设置的文件夹无效"));
            refused = true;
            continue;
        }
        const QString root = WithoutTrailingSeparator(*chosen);
        tree.state().downloadRoot = root;
        env.settings.WriteSetting(QStringLiteral("path"), root);
        if (CLumoraView *view = tree.view()) view->m_strRoot = root;
        RebuildAndSelectRoot(tree);
        return;
    }
}
