#pragma once

#include "platform/HeldFolders.h"
#include "platform/posix/DirectoryHandle.h"

#include <memory>

class HeldRoot;

struct PosixHeldFoldersOptions {
    // Treats every entry's type as unknown, as on file systems that report none. For tests.
    bool ignoreEntryTypes = false;
    // How mount points are found and what runs before a level is reopened; tests choose
    // the fallbacks of older kernels there.
    DirectoryChainOptions chain;
};

// The folders below a root a scan held on Linux (a PosixHeldRoot), on a descriptor chain of
// their own; nullptr, with the reason in `failure`, when it cannot be opened.
std::unique_ptr<HeldFolders> HoldPosixFolders(const HeldRoot& root,
                                              const PosixHeldFoldersOptions& options,
                                              FolderStatus& failure);

// The errno of a failed system call in the terms of held folders.
FolderStatus FolderStatusOf(int error);
