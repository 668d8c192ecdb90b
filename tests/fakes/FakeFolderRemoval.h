#pragma once

#include "platform/FileSystem.h"
#include "platform/FolderRemoval.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

// Removes nothing; answers Removed unless the test scripted another outcome for a path. A
// run finds which folder is at its root through `fileSystem`, as the scan does.
class FakeFolderRemoval : public FolderRemoval {
  public:
    struct Call {
        std::string rootFolder;
        std::string relativePath;
    };

    explicit FakeFolderRemoval(FileSystem& fileSystem) : fileSystem_(fileSystem) {}

    // The rules are left to the real removals: this one removes nothing.
    std::unique_ptr<RemovalRun> OpenRun(const std::string& rootFolder, RemovalResult& failure,
                                        const ListingRules* = nullptr) override {
        std::unique_ptr<Folder> root = fileSystem_.GetFolder(rootFolder);
        if (!root || !root->Identity()) {
            failure = {RemovalOutcome::Vanished, "it no longer exists"};
            return nullptr;
        }
        return std::make_unique<Run>(*this, rootFolder, *root->Identity());
    }

    std::map<std::string, RemovalResult> outcomes;
    std::vector<Call> calls;
    std::function<void(const std::string&)> onDelete;

  private:
    class Run : public RemovalRun {
      public:
        Run(FakeFolderRemoval& owner, std::string rootFolder, FolderIdentity identity)
            : owner_(owner), rootFolder_(std::move(rootFolder)), identity_(identity) {}

        FolderIdentity RootIdentity() const override { return identity_; }

        RemovalResult DeleteFolder(const std::string& relativePath) override {
            owner_.calls.push_back({rootFolder_, relativePath});
            if (owner_.onDelete) {
                owner_.onDelete(relativePath);
            }
            auto scripted = owner_.outcomes.find(relativePath);
            return scripted == owner_.outcomes.end() ? RemovalResult{RemovalOutcome::Removed, ""}
                                                     : scripted->second;
        }

      private:
        FakeFolderRemoval& owner_;
        std::string rootFolder_;
        FolderIdentity identity_;
    };

    FileSystem& fileSystem_;
};
