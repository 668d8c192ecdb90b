#include "scan/FolderListing.h"

FolderListing ReadListing(Folder& folder) {
    FolderListing listing;
    listing.files = folder.FilesCount();
    if (listing.files) {
        listing.subFolders = folder.SubFoldersCount();
    }
    if (listing.subFolders && *listing.subFolders > 0) {
        listing.names = folder.SubFolderNames();
    }
    return listing;
}
