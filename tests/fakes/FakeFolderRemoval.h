#pragma once

#include "platform/FolderRemoval.h"

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

    RemovalResult DeleteFolder(const std::string& rootFolder,
                               const std::string& relativePath) override {
        calls.push_back({rootFolder, relativePath});
        if (onDelete) {
            onDelete(relativePath);
        }
        auto scripted = outcomes.find(relativePath);
        if (scripted == outcomes.end()) {
            return {RemovalOutcome::Removed, ""};
        }
        return scripted->second;
    }

    std::vector<std::string> RemovedPaths() const {
        std::vector<std::string> paths;
        for (const Call& call : calls) {
            auto scripted = outcomes.find(call.relativePath);
            if (scripted == outcomes.end() || scripted->second.outcome == RemovalOutcome::Removed) {
                paths.push_back(call.relativePath);
            }
        }
        return paths;
    }

    std::map<std::string, RemovalResult> outcomes;
    std::vector<Call> calls;
    std::function<void(const std::string&)> onDelete;
};
