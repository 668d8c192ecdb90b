#include "cli/RemoveCommand.h"

#include "cli/ConsoleScan.h"
#include "platform/FolderRemoval.h"
#include "platform/MemoryResultList.h"

#include <optional>

const char* const RemoveUsage = "usage: vacantor-cli remove [--read-only] [--dry-run] ROOT\n";

namespace {

struct RemoveOptions {
    bool readOnly = false;
    bool dryRun = false;
    std::string root;
};

std::optional<RemoveOptions> ParseRemoveOptions(const std::vector<std::string>& arguments) {
    RemoveOptions options;
    bool haveRoot = false;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument == "--read-only") {
            options.readOnly = true;
        } else if (!optionsEnded && argument == "--dry-run") {
            options.dryRun = true;
        } else if ((!optionsEnded && argument.size() > 1 && argument[0] == '-') || haveRoot) {
            return std::nullopt;
        } else {
            options.root = argument;
            haveRoot = true;
        }
    }
    return haveRoot ? std::optional(options) : std::nullopt;
}

} // namespace

int RunRemoveCommand(const std::vector<std::string>& arguments, FileSystem& fileSystem,
                     FolderRemoval& folderRemoval, std::FILE* out, std::FILE* err) {
    std::optional<RemoveOptions> options = ParseRemoveOptions(arguments);
    if (!options) {
        std::fputs(RemoveUsage, err);
        return 2;
    }
    // The whole scan first: removing while it walks would change the tree under it.
    MemoryResultList rows;
    std::string scannedRoot;
    if (!ScanRootFolder(fileSystem, options->root, options->readOnly, rows, scannedRoot, err)) {
        return 1;
    }
    std::size_t removed = 0;
    bool allRemoved = true;
    for (const MemoryResultList::Row& row : rows.Rows()) {
        const std::string& path = row.subItem1;
        if (!options->dryRun) {
            RemovalResult result = folderRemoval.DeleteFolder(scannedRoot, path);
            if (result.outcome != RemovalOutcome::Removed) {
                std::fprintf(err, "not removed: %s: %s\n", path.c_str(), result.reason.c_str());
                allRemoved = false;
                continue;
            }
        }
        std::fprintf(out, "%s\n", path.c_str());
        ++removed;
    }
    std::fprintf(out,
                 options->dryRun ? "%zu folders would be removed.\n" : "%zu folders are removed.\n",
                 removed);
    if (std::fflush(out) != 0 || std::ferror(out)) {
        std::fputs("vacantor-cli: cannot write the output\n", err);
        return 1;
    }
    return allRemoved ? 0 : 1;
}
