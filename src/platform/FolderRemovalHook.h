#pragma once

#include "platform/FolderRemoval.h"

#include <functional>
#include <memory>
#include <string>

// Called once a folder has been opened and checked (it and everything below it are
// folders on one file system) and before the first deletion, with the folder's full
// path. Tests change the tree there to stage, deterministically, the races the real
// removal must survive.
using AfterFolderCheckedHook = std::function<void(const std::string& folderPath)>;

// The platform's real removal with such a hook.
std::unique_ptr<FolderRemoval> CreateSystemFolderRemoval(AfterFolderCheckedHook afterChecked);
