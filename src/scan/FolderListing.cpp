#include "scan/FolderListing.h"

FolderListing ReadListing(Folder& folder, bool withAttributes, const std::atomic<bool>& cancelled) {
    FolderListing listing;
    listing.files = folder.FilesCount();
    if (!listing.files) {
        return listing;
    }
    listing.subFolders = folder.SubFoldersCount();
    if (!listing.subFolders || *listing.subFolders == 0) {
        return listing;
    }
    listing.names = folder.SubFolderNames();
    if (!listing.names || !withAttributes || *listing.files != 0) {
        return listing;
    }
    listing.attributes.reserve(listing.names->size());
    for (const std::string& name : *listing.names) {
        if (cancelled.load(std::memory_order_relaxed)) {
            listing.attributes.clear();
            break;
        }
        listing.attributes.push_back(folder.SubFolderAttributes(name));
    }
    return listing;
}
