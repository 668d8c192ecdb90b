#include "scan/FolderListing.h"

#include "platform/HeldRoot.h"
#include "scan/NaturalOrder.h"

#include <algorithm>

namespace {

// Subfolders are walked in the natural order whatever order the disk returns them in, so
// that rows and their numbers are the same on every file system. A listing the read-ahead
// sorted already costs one comparison per name when the walk reads it again.
void SortNaturally(std::vector<std::string>& names) {
    const auto before = [](const std::string& a, const std::string& b) {
        return NaturallyBefore(a, b);
    };
    if (!std::is_sorted(names.begin(), names.end(), before)) {
        std::sort(names.begin(), names.end(), before);
    }
}

// Takes the subfolders the rules keep (excluded or protected) out of the names, so that no
// walk and no thread reading ahead opens them. A Maildir keeps them all.
void Exclude(Folder& folder, const ListingExclusions& exclusions, FolderListing& listing) {
    const ListingRules& rules = *exclusions.rules;
    std::vector<std::string>& names = *listing.names;
    const bool maildir = rules.MarksMaildir(names);
    auto excluded = std::stable_partition(names.begin(), names.end(), [&](const std::string& name) {
        return !maildir &&
               !(rules.HasExcludes() && rules.ExcludesSubFolder(*exclusions.folder, name)) &&
               !rules.ProtectsSubFolder(name, [&] { return IsFileSystemTop(folder); });
    });
    std::size_t count = static_cast<std::size_t>(names.end() - excluded);
    listing.excluded.assign(std::make_move_iterator(excluded),
                            std::make_move_iterator(names.end()));
    names.erase(excluded, names.end());
    *listing.files += count;
    *listing.subFolders -= std::min(count, *listing.subFolders);
}

} // namespace

// Only the root of a walk can be the top of a file system: the walk enters no mount point.
bool IsFileSystemTop(const Folder& folder) {
    std::shared_ptr<const HeldRoot> root = folder.HoldRoot();
    return root && root->IsFileSystemTop();
}

FolderListing ReadListing(Folder& folder, const ListingExclusions& exclusions) {
    FolderListing listing;
    listing.files = folder.FilesCount();
    // A folder changed too recently is content: the one place the age limit is judged.
    if (listing.files && exclusions.rules && exclusions.rules->HasAgeLimit() &&
        exclusions.rules->ChangedRecently(folder.ModifiedTime())) {
        ++*listing.files;
    }
    if (listing.files) {
        listing.subFolders = folder.SubFoldersCount();
        listing.junkFiles = folder.JunkFilesCount();
    }
    if (listing.subFolders && *listing.subFolders > 0) {
        listing.names = folder.SubFolderNames();
        if (listing.names) {
            SortNaturally(*listing.names);
        }
        if (listing.names && exclusions.rules && exclusions.rules->KeepsFolders()) {
            Exclude(folder, exclusions, listing);
        }
    }
    return listing;
}
