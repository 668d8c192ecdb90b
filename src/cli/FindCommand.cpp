#include "cli/FindCommand.h"

#include "cli/RowPrinter.h"
#include "cli/CommandLine.h"
#include "cli/ConsoleScan.h"
#include "cli/Progress.h"
#include "platform/FileSystem.h"

#include <optional>

const char* const FindUsage = "usage: vacantor-cli find [OPTION]... ROOT\n"
                              "Try 'vacantor-cli find --help'.\n";

int RunFindCommand(const std::vector<std::string>& arguments, FileSystem& fileSystem,
                   ConsoleStream out, ConsoleStream err) {
    int status = 0;
    std::optional<ScanCommandLine> command =
        ParseScanCommandLine(arguments,
                             {"--read-only", "--print0", ProgressOption, QuietOption,
                              JunkCommonFlag, VerboseFlag, AbsoluteFlag},
                             {ThreadsOption, ExcludeOption, ExcludeFromOption, JunkOption,
                              OlderThanOption, MaxDepthOption},
                             fileSystem.PathSeparator(), FindUsage, err, status);
    if (!command) {
        return status;
    }
    const CommandLine& options = command->options;
    std::unique_ptr<Progress> progress = StartProgress(options, out, err);
    RowPrinter printer(out, options.Has("--print0") ? '\0' : '\n');
    std::string scannedRoot;
    if (options.Has(AbsoluteFlag)) {
        printer.PrefixPaths(AbsolutePrefix(options.root, fileSystem.PathSeparator()));
    }
    bool scanned = ScanRootFolder(
        fileSystem, options.root, options.Has("--read-only"), command->threads, printer,
        scannedRoot, err, [&printer] { return printer.Failed(); }, nullptr, &command->rules,
        [&printer](bool holdsJunk) { printer.MarkNextRowJunk(holdsJunk); },
        options.Has(VerboseFlag), command->maxDepth);
    if (progress) {
        progress->Finish();
    }
    // The scan stops early only when the output can no longer be written.
    if (!printer.Flush()) {
        err.Write("vacantor-cli: cannot write the output\n");
        return 1;
    }
    if (!scanned) {
        return 1;
    }
    return 0;
}
