#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>

#include "download/DownloadTask.h"

class QTreeWidgetItem;

// The frame's state that the tree, download and deletion commands share. Node pointers are
// cleared by the folder tree whenever it removes their node, so they are never left dangling.
struct FrameState {
    QString downloadRoot;    // the download root, the "path" setting
    QString downloadFolder;  // dated folder of the current or last download
    QTreeWidgetItem *popupNode = nullptr;     // node the tree popup and folder deletion act on
    QTreeWidgetItem *downloadNode = nullptr;  // node of downloadFolder, or none
    // Shared with the workers, so the batch outlives every worker that reads it.
    std::shared_ptr<DownloadBatch> batch = std::make_shared<DownloadBatch>();
    qint16 rememberedNewFolderCount = 0;  // new-folder count as of the last refresh by the timer
};
