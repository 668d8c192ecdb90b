#include "cli/FindCommand.h"

#include "cli/CommandLine.h"
#include "cli/ConsoleScan.h"
#include "cli/Progress.h"
#include "cli/RecordWriter.h"
#include "platform/FileSystem.h"
#include "scan/EmptyFolderScan.h"

#include <optional>

const char* const FindUsage = "usage: vacantor-cli find [OPTION]... ROOT\n"
                              "Try 'vacantor-cli find --help'.\n";

ExitStatus RunFindCommand(const std::vector<std::string>& arguments, FileSystem& fileSystem,
                          ConsoleStream out, ConsoleStream err) {
    ExitStatus status = ExitStatus::Done;
    std::optional<ScanCommandLine> command =
        ParseScanCommandLine(arguments, {}, {}, fileSystem.PathSeparator(), FindUsage, err, status);
    if (!command) {
        return status;
    }
    const CommandLine& options = command->options;
    std::unique_ptr<Progress> progress = StartProgress(options, out, err);
    RecordWriter records(out, options.Has(Print0Flag) ? '\0' : '\n');
    const std::string prefix = PathPrefix(options, fileSystem.PathSeparator());
    // Each row as it is found: its number, a tab and its path, and for a folder whose
    // subtree holds junk files a tab and "junk".
    auto print = [&](std::size_t number, const FoundFolder& folder) {
        records.Add(std::to_string(number));
        records.Add("\t");
        records.AddPath(prefix + std::string(folder.relativePath));
        if (folder.holdsJunk) {
            records.Add("\tjunk");
        }
        records.EndRecord();
    };
    // The scan stops early only when the output can no longer be written.
    ScanOutcome scan = ScanRootFolder(
        fileSystem, command->scan, err, [&records] { return records.Failed(); }, print);
    if (progress) {
        progress->Finish();
    }
    if (!records.Flush()) {
        err.Write("vacantor-cli: cannot write the output\n");
        return ExitStatus::Failed;
    }
    return scan.Complete() ? ExitStatus::Done : ExitStatus::Failed;
}
