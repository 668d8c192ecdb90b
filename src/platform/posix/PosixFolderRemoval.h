#pragma once

#include "platform/FolderRemoval.h"
#include "platform/FolderRemovalHook.h"
#include "platform/posix/DirectoryHandle.h"

#include <memory>

struct PosixRemovalOptions {
    AfterFolderCheckedHook afterChecked;
    // Treats every entry's type as unknown, as on file systems that report none. For tests.
    bool ignoreEntryTypes = false;
    // How mount points are found and what runs before a level is reopened; tests choose
    // the fallbacks of older kernels there.
    DirectoryChainOptions chain;
};

std::unique_ptr<FolderRemoval> CreatePosixFolderRemoval(PosixRemovalOptions options);
