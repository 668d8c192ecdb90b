#pragma once

#include "platform/HeldRoot.h"
#include "platform/posix/DirectoryHandle.h"

#include <memory>

// The root of a walk held by the descriptor of its DirectoryHandle.
class PosixHeldRoot : public HeldRoot {
  public:
    // nullptr when the root has no descriptor (it may not be read) or cannot be identified.
    static std::shared_ptr<const PosixHeldRoot> Hold(std::shared_ptr<const DirectoryHandle> root);

    PosixHeldRoot(std::shared_ptr<const DirectoryHandle> root, FolderIdentity identity)
        : root_(std::move(root)), identity_(identity) {}

    const std::string& Path() const override { return root_->Name(); }
    const FolderIdentity& Identity() const override { return identity_; }
    bool IsLinked() const override;
    bool IsFileSystemTop() const override;
    std::optional<FolderIdentity> IdentityAtPath(FolderStatus& failure) const override;
    std::unique_ptr<HeldFolders> HoldFolders(FolderStatus& failure) const override;

    // The held descriptor; it stays open as long as this object.
    int Fd() const { return root_->Descriptor().Get(); }

  private:
    std::shared_ptr<const DirectoryHandle> root_;
    FolderIdentity identity_;
};
