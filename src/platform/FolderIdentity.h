#pragma once

#include <cstdint>

// Which folder a path led to when it was opened: on Linux its device, inode and mount id;
// on Windows its volume serial number and file id (mount stays 0). A folder renamed away
// and another put in its place, or a link to another folder, give another identity.
struct FolderIdentity {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    std::uint64_t mount = 0;

    bool operator==(const FolderIdentity&) const = default;
};
