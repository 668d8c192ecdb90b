#include "cli/RemoveCommand.h"

#include "cli/CommandLine.h"
#include "cli/ConsoleScan.h"
#include "cli/RecordWriter.h"
#include "platform/FileSystem.h"
#include "platform/FolderRemoval.h"
#include "platform/MemoryResultList.h"
#include "removal/ScannedRootRemoval.h"
#include "scan/ListingRules.h"

#include <optional>

const char* const RemoveUsage =
    "usage: vacantor-cli remove [--read-only] [--dry-run] [--print0] [--threads N]"
    " [--exclude GLOB]... [--exclude-from FILE]... [--junk NAME]... [--junk-common] ROOT\n";

int RunRemoveCommand(const std::vector<std::string>& arguments, FileSystem& fileSystem,
                     FolderRemoval& folderRemoval, ConsoleStream out, ConsoleStream err) {
    std::optional<CommandLine> options =
        ParseCommandLine(arguments, {"--read-only", "--dry-run", "--print0", JunkCommonFlag},
                         {ThreadsOption, ExcludeOption, ExcludeFromOption, JunkOption});
    std::optional<unsigned> threads = options ? ScanThreads(*options) : std::nullopt;
    if (!threads) {
        std::fputs(RemoveUsage, err.file);
        return 2;
    }
    std::optional<ListingRules> rules = ListingRulesFrom(*options, fileSystem.PathSeparator(), err);
    if (!rules) {
        return 2;
    }
    // The whole scan first: removing while it walks would change the tree under it.
    MemoryResultList rows;
    std::string scannedRoot;
    std::optional<FolderIdentity> scannedIdentity;
    if (!ScanRootFolder(fileSystem, options->root, options->Has("--read-only"), *threads, rows,
                        scannedRoot, err, {}, &scannedIdentity, &*rules)) {
        return 1;
    }
    RecordWriter printer(out, options->Has("--print0") ? '\0' : '\n');
    ScannedRootRemoval removal(folderRemoval, scannedRoot, scannedIdentity, &*rules);
    std::size_t removed = 0;
    bool allRemoved = true;
    for (const MemoryResultList::Row& row : rows.Rows()) {
        const std::string& path = row.subItem1;
        if (!options->Has("--dry-run")) {
            if (!removal.HoldsScannedRoot()) {
                std::fprintf(err.file, "vacantor-cli: nothing removed below %s: %s\n",
                             err.Shown(options->root).c_str(), removal.RootFailure().c_str());
                allRemoved = false;
                break;
            }
            RemovalResult result = removal.DeleteFolder(path);
            if (result.outcome != RemovalOutcome::Removed) {
                std::fprintf(err.file, "not removed: %s: %s\n", err.Shown(path).c_str(),
                             result.reason.c_str());
                allRemoved = false;
                continue;
            }
        }
        printer.AddPath(path);
        printer.EndRecord();
        ++removed;
    }
    printer.Add(std::to_string(removed));
    printer.Add(options->Has("--dry-run") ? " folders would be removed." : " folders are removed.");
    printer.EndRecord();
    if (!printer.Flush()) {
        std::fputs("vacantor-cli: cannot write the output\n", err.file);
        return 1;
    }
    return allRemoved ? 0 : 1;
}
