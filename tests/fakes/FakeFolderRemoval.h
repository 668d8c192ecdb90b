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
    struct Run : RemovalRun {
        Run(FakeFolderRemoval& from, std::string root, FolderIdentity id)
            : owner(from), rootFolder(std::move(root)), identity(id) {}

        FolderIdentity RootIdentity() const override { return identity; }

        RemovalResult DeleteFolder(const std::string& relativePath) override {
            owner.calls.push_back({rootFolder, relativePath});
            if (owner.onDelete) {
                owner.onDelete(relativePath);
            }
            auto scripted = owner.outcomes.find(relativePath);
            return scripted == owner.outcomes.end() ? RemovalResult{RemovalOutcome::Removed, ""}
                                                    : scripted->second;
        }

        FakeFolderRemoval& owner;
        std::string rootFolder;
        FolderIdentity identity;
    };

    FileSystem& fileSystem_;
};
