#pragma once

#include "resources/Commands.h"

class FolderTree;
class Prompter;
class QWidget;

// Command::RefreshTreeFolder: lists the selected node's folder again.
void RefreshSelectedFolder(FolderTree &tree);

// Command::DeleteFolder (the selected node) and Command::DeleteTreeFolder (the right-clicked
// node): removes the node's folder for good after the guards and the confirmation, then selects
// the next sibling, else the previous one, else the parent. `owner` owns the messages; while
// `downloadRunning`, the download's own dated folder is not removed.
void DeleteFolder(Command command, FolderTree &tree, Prompter &prompter, QWidget *owner,
                  bool downloadRunning);
