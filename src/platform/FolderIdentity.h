#pragma once

#include <cstdint>

// Which folder a path led to when it was opened: on Linux its device, inode, mount id (the
// never reused one where the kernel has it) and birth time; on Windows its volume serial
// number and file id (mount and birth stay 0). A folder renamed away and another put in its
// place, or a link to another folder, give another identity. Inode numbers are handed out
// again once a folder is freed: only a held folder's identity is its own for sure.
struct FolderIdentity {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    std::uint64_t mount = 0;
    std::uint64_t birth = 0; // nanoseconds since 1970; 0 where the file system keeps none

    bool operator==(const FolderIdentity&) const = default;
};
