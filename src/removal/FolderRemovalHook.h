#pragma once

#include "platform/FolderRemoval.h"
#include "platform/HeldFolders.h"

#include <functional>
#include <memory>
#include <string>

// Called once a listed folder that holds folders has been opened and checked (everything
// below it is a folder, and none a mount point) and before the first deletion, with the
// folder's full path. An empty listed folder is removed at once, with no check and no
// call, unless it goes to the trash. Tests change the tree there to stage, deterministically, the
// races the removal must survive.
using AfterFolderCheckedHook = std::function<void(const std::string& folderPath)>;

// How a run holds the folders below its root: by default the root's own HoldFolders; tests
// pass fakes or the platform's primitives with options of their own.
using HoldFoldersFunction =
    std::function<std::unique_ptr<HeldFolders>(const HeldRoot& root, FolderStatus& failure)>;

// The removal over the folders `holdFolders` gives (nullptr: the root's own, as the
// platform's real removal), with a hook.
std::unique_ptr<FolderRemoval> CreateFolderRemoval(HoldFoldersFunction holdFolders,
                                                   AfterFolderCheckedHook afterChecked = {});
