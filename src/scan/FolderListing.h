#pragma once

#include "platform/FileSystem.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the walk reads of one open folder, read in one go and in the walk's own order:
// the file count, then the subfolder count, then the names when there are subfolders.
struct FolderListing {
    std::optional<std::size_t> files;
    std::optional<std::size_t> subFolders;
    std::optional<std::vector<std::string>> names;
    // The subfolders' attributes by position in `names`, read only for a folder without
    // files (the only place the walk tests them); empty when not read.
    std::vector<std::optional<std::uint32_t>> attributes;

    // True when nothing failed, so that the walk would take every answer as it is.
    bool Readable() const { return subFolders && (*subFolders == 0 || names); }
    bool HasSubFolders() const { return names && !names->empty(); }
};

// Reads `folder` as the walk would. With `withAttributes`, a folder without files also
// gets its subfolders' attributes; `cancelled` ends that loop early.
FolderListing ReadListing(Folder& folder, bool withAttributes, const std::atomic<bool>& cancelled);
