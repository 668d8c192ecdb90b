#pragma once

#include "platform/FolderRemoval.h"

#include <functional>
#include <memory>
#include <string>

// Called once a listed folder that holds folders has been opened and checked (everything
// below it is a folder, and none a mount point) and before the first deletion, with the
// folder's full path. An empty listed folder is removed at once, with no check and no
// call. Tests change the tree there to stage, deterministically, the races the real
// removal must survive.
using AfterFolderCheckedHook = std::function<void(const std::string& folderPath)>;

// The platform's real removal with such a hook.
std::unique_ptr<FolderRemoval> CreateSystemFolderRemoval(AfterFolderCheckedHook afterChecked);
