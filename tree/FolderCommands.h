#pragma once

class FolderTree;
class Prompter;
class QWidget;

// ID_TREE_REFRESH: lists the selected node's folder again.
void OnRefreshFolder(FolderTree &tree);

// ID_EDIT_DELETE_FOLDER (the selected node) and ID_TREE_DELETE (the right-clicked node): removes
// the node's folder for good after the guards and the confirmation, then selects the next
// sibling, else the previous one, else the parent. `owner` is the frame: it owns the messages
// and its menu tells whether a download runs.
void OnDeleteFolder(int command, FolderTree &tree, Prompter &prompter, QWidget *owner);
