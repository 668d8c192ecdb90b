#include "scan/FolderListing.h"

#include <algorithm>

namespace {

void Exclude(const ListingExclusions& exclusions, FolderListing& listing) {
    const ListingRules& rules = *exclusions.rules;
    std::vector<std::string>& names = *listing.names;
    auto excluded = std::remove_if(names.begin(), names.end(), [&](const std::string& name) {
        return rules.ExcludesSubFolder(*exclusions.folder, name);
    });
    std::size_t count = static_cast<std::size_t>(names.end() - excluded);
    names.erase(excluded, names.end());
    *listing.files += count;
    *listing.subFolders -= std::min(count, *listing.subFolders);
}

} // namespace

FolderListing ReadListing(Folder& folder, const ListingExclusions& exclusions) {
    FolderListing listing;
    listing.files = folder.FilesCount();
    if (listing.files) {
        listing.subFolders = folder.SubFoldersCount();
        listing.junkFiles = folder.JunkFilesCount();
    }
    if (listing.subFolders && *listing.subFolders > 0) {
        listing.names = folder.SubFolderNames();
        if (listing.names && exclusions.rules && exclusions.rules->HasExcludes()) {
            Exclude(exclusions, listing);
        }
    }
    return listing;
}
