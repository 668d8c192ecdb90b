#pragma once

#include "platform/FolderRemoval.h"

#include <memory>
#include <string>

class HeldRoot;
class ListingRules;

// Removes the rows that one scan listed, all in one run from the root folder that scan
// read and still holds. When the path of that root no longer leads to the held folder
// (renamed away, replaced, a link to another folder, deleted and made again, a file system
// mounted on it), nothing is removed, and RootFailure says why once for all the rows.
class ScannedRootRemoval {
  public:
    // `scannedRoot`: the root the scan held (nullptr: none was read). `rules`: exclusions and
    // junk names for the removal, which may differ from the scan's (nullptr: none); they
    // must outlive this object.
    ScannedRootRemoval(FolderRemoval& folderRemoval, std::shared_ptr<const HeldRoot> scannedRoot,
                       const ListingRules* rules = nullptr);

    // True while rows can be removed: the root is still the scanned folder. Checks and opens
    // the run at the first call.
    bool HoldsScannedRoot();

    // Why no row can be removed; empty while they can.
    const std::string& RootFailure() const { return rootFailure_; }

    // Removes one row's folder. Only while HoldsScannedRoot(). A folder that is excluded or
    // protected, or lies in such a folder, is not removed.
    RemovalResult DeleteFolder(const std::string& relativePath);
    // Moves one row's folder to the trash instead (RemovalRun::TrashFolder), as guarded.
    RemovalResult TrashFolder(const std::string& relativePath);

  private:
    RemovalResult EndFolder(const std::string& relativePath, bool toTrash);

    FolderRemoval& folderRemoval_;
    std::shared_ptr<const HeldRoot> scannedRoot_;
    const ListingRules* rules_;
    bool opened_ = false;
    std::unique_ptr<RemovalRun> run_;
    std::string rootFailure_;
};
