#pragma once

#include <memory>
#include <string>

// Why a folder was or was not removed.
enum class RemovalOutcome {
    Removed,      // the folder and the empty folders below it are gone
    Vanished,     // nothing was there any more
    GainedFile,   // a file (or a link, or anything not a folder) is below it now
    BecameLink,   // the folder or one of its ancestors is a link now
    MountPoint,   // it or a folder below it is on another file system
    AccessDenied, // the platform refused
    InUse,        // another program holds it open
    Failed,       // any other failure of the platform
};

struct RemovalResult {
    RemovalOutcome outcome = RemovalOutcome::Failed;
    std::string reason; // for the user, when the outcome is not Removed
};

// Deletes a listed folder safely. Only folders are ever deleted, bottom-up, and never a
// file: a folder that has gained a file anywhere below it is left whole. No link,
// junction or other reparse point is followed at any level, from the root down. Read-only
// folders are deleted too. The root folder itself is never deleted.
class FolderRemoval {
  public:
    virtual ~FolderRemoval() = default;

    // Deletes the folder at `relativePath` below `rootFolder` (the root of the scan that
    // listed it, without a trailing separator), with the empty folders below it.
    virtual RemovalResult DeleteFolder(const std::string& rootFolder,
                                       const std::string& relativePath) = 0;
};

// The platform's real implementation.
std::unique_ptr<FolderRemoval> CreateSystemFolderRemoval();
