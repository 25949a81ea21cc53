#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>

#include "service/DownloadTask.h"
#include "update/UpdateServices.h"

class Prompter;

// 0 until a check has started, 1 while one runs, 2 after it ended, whatever the outcome.
// The only guard against two checks at once.
extern std::atomic<std::int16_t> updateState;

// Folder below the current directory that receives the new version's files.
inline constexpr char kUpdateFolder[] = "temp";

// The transfer of one file of `version`: from <host>/version/<version>/<name> into temp/<name>.
// The version and the name travel percent-encoded in the address.
DownloadTask UpdateTransfer(std::string_view updateHost, std::string_view version,
                            std::string_view fileName);

// Asks for the version list and, when a newer version exists and the user agrees, fetches its
// files into temp/. True exactly when the user agreed and every file arrived. `silent` hides the
// connection-failure and already-latest boxes; the question is always asked. Without self-update
// a newer version is only announced, with the advice to update through the package manager, and
// nothing is fetched. Boxes have no owner.
bool UpdateChecker(bool silent, Prompter &prompter, const UpdateServices &services);
