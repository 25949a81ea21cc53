#pragma once

class FolderTree;
class QWidget;
struct FrameEnvironment;

// Lets the user choose the download root: only folders on local fixed or removable disks are
// accepted. An accepted folder becomes the frame's downloadRoot, the "path" setting and the
// view's m_strRoot; the tree is rebuilt from it and its root selected. With `mustChoose` the
// chooser comes back after a cancel until a folder is accepted; without it a cancel changes
// nothing (the tree is rebuilt once more only when a choice had been refused).
void OnChooseDownloadFolder(bool mustChoose, FolderTree &tree, const FrameEnvironment &env,
                            QWidget *owner);
