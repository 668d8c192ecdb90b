#include "removal/ScannedRootRemoval.h"

#include "platform/RemovalResults.h"
#include "scan/ListingRules.h"

ScannedRootRemoval::ScannedRootRemoval(FolderRemoval& folderRemoval, std::string rootFolder,
                                       std::optional<FolderIdentity> scannedRoot,
                                       const ListingRules* rules)
    : folderRemoval_(folderRemoval), rootFolder_(std::move(rootFolder)), scannedRoot_(scannedRoot),
      rules_(rules) {}

bool ScannedRootRemoval::HoldsScannedRoot() {
    if (!opened_) {
        opened_ = true;
        RemovalResult failure;
        run_ = folderRemoval_.OpenRun(rootFolder_, failure, rules_);
        if (!run_) {
            rootFailure_ = failure.reason;
        } else if (!scannedRoot_ || run_->RootIdentity() != *scannedRoot_) {
            run_.reset();
            rootFailure_ = "it is no longer the folder that was scanned";
        }
    }
    return run_ != nullptr;
}

RemovalResult ScannedRootRemoval::DeleteFolder(const std::string& relativePath) {
    // Rules given to the removal alone protect a folder the scan listed.
    if (rules_ && rules_->ExcludesOrLiesIn(relativePath)) {
        return MakeRemovalResult(RemovalOutcome::Excluded);
    }
    return run_->DeleteFolder(relativePath);
}
