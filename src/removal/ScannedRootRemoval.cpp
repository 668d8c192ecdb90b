#include "removal/ScannedRootRemoval.h"

#include "platform/HeldRoot.h"
#include "removal/RemovalResults.h"
#include "scan/ListingRules.h"

namespace {

constexpr const char* NotTheScannedFolder = "it is no longer the folder that was scanned";

} // namespace

ScannedRootRemoval::ScannedRootRemoval(FolderRemoval& folderRemoval,
                                       std::shared_ptr<const HeldRoot> scannedRoot,
                                       const ListingRules* rules)
    : folderRemoval_(folderRemoval), scannedRoot_(std::move(scannedRoot)), rules_(rules) {}

// The rows are reached from the held folder whatever the path leads to now, but a root the
// user can no longer see at its path is not what they chose to clean: it has been moved or
// replaced. Held, its identity cannot pass to a folder made since, so comparing is sound.
bool ScannedRootRemoval::HoldsScannedRoot() {
    if (opened_) {
        return run_ != nullptr;
    }
    opened_ = true;
    if (!scannedRoot_) {
        rootFailure_ = NotTheScannedFolder;
        return false;
    }
    FolderStatus atPathFailure;
    std::optional<FolderIdentity> atPath = scannedRoot_->IdentityAtPath(atPathFailure);
    RemovalResult failure;
    if (!atPath) {
        rootFailure_ = ResultOf(atPathFailure).reason;
    } else if (*atPath != scannedRoot_->Identity() || !scannedRoot_->IsLinked()) {
        rootFailure_ = NotTheScannedFolder;
    } else if (run_ = folderRemoval_.OpenRun(*scannedRoot_, failure, rules_); !run_) {
        rootFailure_ = failure.reason;
    }
    return run_ != nullptr;
}

RemovalResult ScannedRootRemoval::DeleteFolder(const std::string& relativePath) {
    return EndFolder(relativePath, false);
}

RemovalResult ScannedRootRemoval::TrashFolder(const std::string& relativePath) {
    return EndFolder(relativePath, true);
}

RemovalResult ScannedRootRemoval::EndFolder(const std::string& relativePath, bool toTrash) {
    // Rules given to the removal alone protect a folder the scan listed.
    if (rules_ && rules_->ExcludesOrLiesIn(relativePath)) {
        return MakeRemovalResult(RemovalOutcome::Excluded);
    }
    if (rules_ && rules_->ProtectsOrLiesIn(relativePath,
                                           [this] { return scannedRoot_->IsFileSystemTop(); })) {
        return MakeRemovalResult(RemovalOutcome::Protected);
    }
    return toTrash ? run_->TrashFolder(relativePath) : run_->DeleteFolder(relativePath);
}
