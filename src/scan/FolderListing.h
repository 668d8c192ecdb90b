#pragma once

#include "platform/FileSystem.h"
#include "scan/ListingRules.h"

#include <optional>
#include <string>
#include <vector>

// What the walk reads of one open folder, read in one go and in the walk's own order:
// the file count, then the subfolder count, then the names when there are subfolders, in
// the natural order (NaturalOrder.h).
struct FolderListing {
    std::optional<std::size_t> files;
    std::optional<std::size_t> subFolders;
    std::optional<std::vector<std::string>> names;
    std::size_t junkFiles = 0;         // files that count as no content (ListingRules)
    std::vector<std::string> excluded; // subfolders the rules keep, taken out of names

    // True when nothing failed, so that the walk would take every answer as it is.
    bool Readable() const { return subFolders && (*subFolders == 0 || names); }
    std::size_t NameCount() const { return names ? names->size() : 0; }
};

// The exclusions of a scan at the folder whose listing is read: an excluded or protected
// subfolder leaves the names and counts among the files, so nobody opens it.
struct ListingExclusions {
    const ListingRules* rules = nullptr;                  // nullptr or without exclusions: none
    const ListingRules::ExclusionState* folder = nullptr; // where they stand at the folder
};

FolderListing ReadListing(Folder& folder, const ListingExclusions& exclusions = {});

// Whether the folder a walk opened is the top of a file system, where lost+found is kept.
bool IsFileSystemTop(const Folder& folder);
