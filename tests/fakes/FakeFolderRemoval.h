#pragma once

#include "platform/FolderRemoval.h"
#include "platform/HeldRoot.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

// Removes nothing; answers Removed unless the test scripted another outcome for a path.
class FakeFolderRemoval : public FolderRemoval {
  public:
    struct Call {
        std::string rootFolder;
        std::string relativePath;
        bool toTrash = false;
    };

    std::unique_ptr<RemovalRun> OpenRun(const HeldRoot& root, RemovalResult&,
                                        const ListingRules* = nullptr) override {
        return std::make_unique<Run>(*this, root.Path());
    }

    std::map<std::string, RemovalResult> outcomes;
    std::vector<Call> calls;
    std::function<void(const std::string&)> onDelete;

  private:
    struct Run : RemovalRun {
        Run(FakeFolderRemoval& from, std::string root) : owner(from), rootFolder(std::move(root)) {}

        RemovalResult DeleteFolder(const std::string& relativePath) override {
            return End(relativePath, false);
        }
        RemovalResult TrashFolder(const std::string& relativePath) override {
            return End(relativePath, true);
        }
        RemovalResult End(const std::string& relativePath, bool toTrash) {
            owner.calls.push_back({rootFolder, relativePath, toTrash});
            if (owner.onDelete) {
                owner.onDelete(relativePath);
            }
            auto scripted = owner.outcomes.find(relativePath);
            if (scripted != owner.outcomes.end()) {
                return scripted->second;
            }
            return RemovalResult{RemovalOutcome::Removed, "", toTrash ? "/fake/Trash" : ""};
        }

        FakeFolderRemoval& owner;
        std::string rootFolder;
    };
};
