#include "removal/ScannedRootRemoval.h"

ScannedRootRemoval::ScannedRootRemoval(FolderRemoval& folderRemoval, std::string rootFolder,
                                       std::optional<FolderIdentity> scannedRoot)
    : folderRemoval_(folderRemoval), rootFolder_(std::move(rootFolder)), scannedRoot_(scannedRoot) {
}

bool ScannedRootRemoval::HoldsScannedRoot() {
    if (!opened_) {
        opened_ = true;
        RemovalResult failure;
        run_ = folderRemoval_.OpenRun(rootFolder_, failure);
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
    return run_->DeleteFolder(relativePath);
}
