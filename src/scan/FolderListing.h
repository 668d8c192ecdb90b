#pragma once

#include "platform/FileSystem.h"

#include <optional>
#include <string>
#include <vector>

// What the walk reads of one open folder, read in one go and in the walk's own order:
// the file count, then the subfolder count, then the names when there are subfolders.
struct FolderListing {
    std::optional<std::size_t> files;
    std::optional<std::size_t> subFolders;
    std::optional<std::vector<std::string>> names;

    // True when nothing failed, so that the walk would take every answer as it is.
    bool Readable() const { return subFolders && (*subFolders == 0 || names); }
    std::size_t NameCount() const { return names ? names->size() : 0; }
};

FolderListing ReadListing(Folder& folder);
