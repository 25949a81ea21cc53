#pragma once

#include <QString>

class QTreeWidgetItem;

// The frame's state that the folder tree and its commands keep: the roots and nodes that the
// tree, the download and the deletion share. Node pointers are cleared by the folder tree
// whenever it removes their node, so they are never left dangling.
struct FrameState {
    QString downloadRoot;                     // the download root, the "path" setting
    QString downloadFolder;                   // dated folder of the current or last download
    QTreeWidgetItem *popupNode = nullptr;     // node the tree popup and folder deletion act on
    QTreeWidgetItem *downloadNode = nullptr;  // node of downloadFolder, or none
};
