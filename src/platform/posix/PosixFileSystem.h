#pragma once

#include "platform/FileSystem.h"

#include <memory>

struct PosixFileSystemOptions {
    // Treats every entry's type as unknown, so that each is classified by fstatat, as on
    // file systems that report no type in their directory entries. For tests.
    bool ignoreEntryTypes = false;
};

std::unique_ptr<FileSystem> CreatePosixFileSystem(PosixFileSystemOptions options);
