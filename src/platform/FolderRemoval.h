#pragma once

#include <memory>
#include <string>
#include <utility>

class HeldRoot;
class ListingRules;

// Why a folder was or was not removed.
enum class RemovalOutcome {
    Removed,       // the folder and the empty folders below it are gone
    Vanished,      // nothing was there any more
    GainedFile,    // a file (or a link, or anything not a folder) is below it now
    BecameLink,    // the folder or one of its ancestors is a link now
    MountPoint,    // it or a folder on the way to it or below it is a mount point
    Excluded,      // it or a folder above it is excluded
    HoldsExcluded, // an excluded folder is below it
    Protected,     // it, or a folder above it, is protected (ListingRules) or a Maildir
    HasProtected,  // a protected folder or a Maildir is below it
    Recent,        // it or a folder below it changed within the age limit (ListingRules)
    AccessDenied,  // the platform refused
    InUse,         // another program holds it open
    Failed,        // any other failure of the platform
};

struct RemovalResult {
    RemovalResult(RemovalOutcome what = RemovalOutcome::Failed, std::string why = {},
                  std::string where = {})
        : outcome(what), reason(std::move(why)), trash(std::move(where)) {}

    RemovalOutcome outcome;
    std::string reason; // for the user, when the outcome is not Removed
    std::string trash;  // where a folder moved to the trash went
};

// A run of removals below the root folder a scan held: every folder is reached from the
// held root, never by looking the root's path up again, so a root renamed or replaced
// meanwhile cannot lead the run elsewhere.
//
// A listed folder is deleted safely. Only folders are ever deleted, bottom-up, and never a
// file: a folder that has gained a file anywhere below it is left whole. No link, junction,
// other reparse point or mount point is passed at any level below the root. Read-only
// folders are deleted too. The root folder itself is never deleted.
//
// With junk rules (ListingRules) a regular file of a junk name is no obstacle: the whole
// subtree is checked first, then each folder's junk files are deleted (never through a
// link) just before the folder, bottom-up. Any other file, appearing at any time, stops the
// removal of its folder and the folders above it; the junk already deleted stays deleted.
// An excluded folder below the listed one keeps it whole, and so does a protected one.
class RemovalRun {
  public:
    virtual ~RemovalRun() = default;

    // Deletes the folder at `relativePath` below the held root, with the empty folders
    // below it.
    virtual RemovalResult DeleteFolder(const std::string& relativePath) = 0;

    // Moves the folder at `relativePath`, checked as DeleteFolder checks it, whole to the
    // trash (Linux) or the Recycle Bin (Windows) of its file system, with whatever is in it
    // when it moves; junk files go with it. Removed means it moved; `trash` says where.
    virtual RemovalResult TrashFolder(const std::string& relativePath) = 0;
};

class FolderRemoval {
  public:
    virtual ~FolderRemoval() = default;

    // Starts a run on the root the scan that listed the rows holds (from this platform's
    // FileSystem); the run holds that folder itself, so `root` need not outlive it. nullptr,
    // with the reason in `failure`, when it cannot. `rules` (exclusions and junk names; none
    // when nullptr) must outlive the run.
    virtual std::unique_ptr<RemovalRun> OpenRun(const HeldRoot& root, RemovalResult& failure,
                                                const ListingRules* rules = nullptr) = 0;
};

// The real removal (src/removal) over the folders each root holds.
std::unique_ptr<FolderRemoval> CreateSystemFolderRemoval();
