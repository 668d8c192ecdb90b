#include "cli/RemoveCommand.h"

#include "cli/CommandLine.h"
#include "cli/ConsoleScan.h"
#include "platform/FolderRemoval.h"
#include "platform/MemoryResultList.h"

#include <optional>

const char* const RemoveUsage =
    "usage: vacantor-cli remove [--read-only] [--dry-run] [--threads N] ROOT\n";

int RunRemoveCommand(const std::vector<std::string>& arguments, FileSystem& fileSystem,
                     FolderRemoval& folderRemoval, std::FILE* out, std::FILE* err) {
    std::optional<CommandLine> options =
        ParseCommandLine(arguments, {"--read-only", "--dry-run"}, {ThreadsOption});
    std::optional<unsigned> threads = options ? ScanThreads(*options) : std::nullopt;
    if (!threads) {
        std::fputs(RemoveUsage, err);
        return 2;
    }
    // The whole scan first: removing while it walks would change the tree under it.
    MemoryResultList rows;
    std::string scannedRoot;
    if (!ScanRootFolder(fileSystem, options->root, options->Has("--read-only"), *threads, rows,
                        scannedRoot, err)) {
        return 1;
    }
    std::size_t removed = 0;
    bool allRemoved = true;
    for (const MemoryResultList::Row& row : rows.Rows()) {
        const std::string& path = row.subItem1;
        if (!options->Has("--dry-run")) {
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
                 options->Has("--dry-run") ? "%zu folders would be removed.\n"
                                           : "%zu folders are removed.\n",
                 removed);
    if (std::fflush(out) != 0 || std::ferror(out)) {
        std::fputs("vacantor-cli: cannot write the output\n", err);
        return 1;
    }
    return allRemoved ? 0 : 1;
}
