#pragma once

#include "platform/FolderIdentity.h"
#include "platform/FolderRemoval.h"

#include <memory>
#include <optional>
#include <string>

class ListingRules;

// Removes the rows that one scan listed, all in one run on the root folder that scan read.
// The run is opened at the first row and holds the root to its end. When the folder now at
// the root's path is not the one the scan read (renamed away, replaced, a link to another
// folder), nothing is removed, and RootFailure says why once for all the rows.
class ScannedRootRemoval {
  public:
    // `rootFolder`: the scan's root, without a trailing separator; `scannedRoot`: which
    // folder the scan read there. `rules`: exclusions and junk names for the removal, which
    // may differ from the scan's (nullptr: none); they must outlive this object.
    ScannedRootRemoval(FolderRemoval& folderRemoval, std::string rootFolder,
                       std::optional<FolderIdentity> scannedRoot,
                       const ListingRules* rules = nullptr);

    // True while rows can be removed: the run holds the scanned root. Opens the run at the
    // first call.
    bool HoldsScannedRoot();

    // Why no row can be removed; empty while they can.
    const std::string& RootFailure() const { return rootFailure_; }

    // Removes one row's folder. Only while HoldsScannedRoot(). A folder that is excluded,
    // or lies in an excluded folder, is not removed.
    RemovalResult DeleteFolder(const std::string& relativePath);

  private:
    FolderRemoval& folderRemoval_;
    std::string rootFolder_;
    std::optional<FolderIdentity> scannedRoot_;
    const ListingRules* rules_;
    bool opened_ = false;
    std::unique_ptr<RemovalRun> run_;
    std::string rootFailure_;
};
