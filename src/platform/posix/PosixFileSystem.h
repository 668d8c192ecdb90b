#pragma once

#include "platform/FileSystem.h"
#include "platform/posix/DirectoryHandle.h"

#include <memory>

struct PosixFileSystemOptions {
    // Treats every entry's type as unknown, so that each is classified by fstatat, as on
    // file systems that report no type in their directory entries. For tests.
    bool ignoreEntryTypes = false;
    // How mount points are found and what runs before a level is reopened; tests choose
    // the fallbacks of older kernels there.
    DirectoryChainOptions chain;
};

std::unique_ptr<FileSystem> CreatePosixFileSystem(PosixFileSystemOptions options);
