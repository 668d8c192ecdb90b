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
    };

    // The rules are left to the real removals: this one removes nothing.
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
    };
};
