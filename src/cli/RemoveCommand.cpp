#include "cli/RemoveCommand.h"

#include "cli/CommandLine.h"
#include "cli/Console.h"
#include "cli/ConsoleScan.h"
#include "cli/Interruption.h"
#include "cli/RecordWriter.h"
#include "cli/RemovalLog.h"
#include "platform/FileSystem.h"
#include "platform/FolderRemoval.h"
#include "platform/MemoryResultList.h"
#include "removal/ScannedRootRemoval.h"

#include <optional>

using namespace std::string_literals;

const char* const RemoveUsage = "usage: vacantor-cli remove [OPTION]... ROOT\n"
                                "Try 'vacantor-cli remove --help'.\n";

namespace {

constexpr const char* LogOption = "--log";

// The log FILE names, created before the scan: a log that cannot be written is found out
// before anything is removed. nullptr without --log, or when it cannot be created
// (`failed` is then set and the reason is on `err`).
std::unique_ptr<RemovalLog> CreateLog(const CommandLine& options, char terminator,
                                      ConsoleStream err, bool& failed) {
    auto given = options.values.find(LogOption);
    if (given == options.values.end()) {
        return nullptr;
    }
    std::string failure;
    std::FILE* file = CreateLogFile(given->second, failure);
    if (!file) {
        err.Write("vacantor-cli: cannot create the log " + err.Shown(given->second) + ": " +
                  failure + "\n");
        failed = true;
        return nullptr;
    }
    return std::make_unique<RemovalLog>(file, terminator);
}

} // namespace

int RunRemoveCommand(const std::vector<std::string>& arguments, FileSystem& fileSystem,
                     FolderRemoval& folderRemoval, ConsoleStream out, ConsoleStream err,
                     SteadyClock clock) {
    const std::chrono::steady_clock::time_point start = clock();
    int status = 0;
    std::optional<ScanCommandLine> command =
        ParseScanCommandLine(arguments,
                             {"--read-only", "--dry-run", "--print0", ProgressOption, QuietOption,
                              JunkCommonFlag, VerboseFlag, AbsoluteFlag},
                             {ThreadsOption, LogOption, ExcludeOption, ExcludeFromOption,
                              JunkOption, OlderThanOption, MaxDepthOption},
                             fileSystem.PathSeparator(), RemoveUsage, err, status);
    if (!command) {
        return status;
    }
    const CommandLine& options = command->options;
    const bool dryRun = options.Has("--dry-run");
    const char terminator = options.Has("--print0") ? '\0' : '\n';
    bool logFailed = false;
    std::unique_ptr<RemovalLog> log = CreateLog(options, terminator, err, logFailed);
    if (logFailed) {
        return 1;
    }
    std::unique_ptr<Progress> progress = StartProgress(options, out, err, clock);
    // From here on an interrupt ends the run between two rows, never inside one: the row's
    // folder is removed or left whole, the modes it changed are put back, and the log says
    // how the run ended.
    InterruptionCatcher interruptions;
    auto interrupted = [&interruptions] { return interruptions.Caught() != 0; };
    // The whole scan first: removing while it walks would change the tree under it.
    MemoryResultList rows;
    std::string scannedRoot;
    // The removal reaches the rows from the very root the scan read, held in between.
    std::shared_ptr<const HeldRoot> scannedRootHold;
    if (!ScanRootFolder(fileSystem, options.root, options.Has("--read-only"), command->threads,
                        rows, scannedRoot, err, interrupted, &scannedRootHold, &command->rules, {},
                        options.Has(VerboseFlag), command->maxDepth)) {
        return 1;
    }
    // Record by record, so that a reader gone away stops the removal at the next row.
    RecordWriter printer(out, terminator, true);
    const std::string prefix =
        options.Has(AbsoluteFlag) ? AbsolutePrefix(options.root, fileSystem.PathSeparator()) : "";
    ScannedRootRemoval removal(folderRemoval, scannedRootHold, &command->rules);
    std::size_t removed = 0;
    std::size_t notRemoved = 0;
    // Why the rows were not all dealt with; the scan may have been interrupted already.
    const bool scanInterrupted = interrupted();
    std::string cutShort = scanInterrupted ? "interrupted by "s + interruptions.CaughtName() : "";
    for (const MemoryResultList::Row& row : rows.Rows()) {
        if (interrupted() || printer.Failed()) {
            cutShort = interrupted() ? "interrupted by "s + interruptions.CaughtName()
                                     : "the output cannot be written";
            break;
        }
        const std::string& path = row.subItem1;
        LogVerdict verdict = LogVerdict::Skipped;
        std::string reason = "dry run";
        if (!dryRun && !removal.HoldsScannedRoot()) {
            // The first row finds it out: said once on standard error, for every row in the log.
            if (notRemoved == 0) {
                err.Write("vacantor-cli: nothing removed below " + err.Shown(options.root) + ": " +
                          removal.RootFailure() + "\n");
            }
            reason = "root folder: " + removal.RootFailure();
        } else if (!dryRun) {
            RemovalResult result = removal.DeleteFolder(path);
            verdict = VerdictOf(result.outcome);
            reason = result.reason;
            if (verdict != LogVerdict::Removed) {
                err.Write("vacantor-cli: not removed: " + err.Shown(path) + ": " + reason + "\n");
            }
        }
        if (dryRun || verdict == LogVerdict::Removed) {
            printer.AddPath(prefix + path);
            printer.EndRecord();
            ++removed;
        } else {
            ++notRemoved;
        }
        if (progress && !dryRun) {
            progress->RowDone(removed, notRemoved, rows.Rows().size());
        }
        if (log) {
            log->Add(verdict, path, reason);
            // Nothing more is removed once the log cannot say so.
            if (log->Failed()) {
                break;
            }
        }
    }
    if (progress) {
        progress->Finish();
    }
    bool written = printer.Flush();
    if (!written) {
        err.Write("vacantor-cli: cannot write the output\n");
    }
    if (interrupted()) {
        err.Write("vacantor-cli: interrupted by "s + interruptions.CaughtName() +
                  (scanInterrupted
                       ? " during the scan: nothing removed\n"
                       : ": " + std::to_string(removed + notRemoved) + " of " +
                             std::to_string(rows.Rows().size()) + " folders dealt with\n"));
    }
    if (log && !log->Close(clock() - start, cutShort)) {
        err.Write("vacantor-cli: cannot write the log " + err.Shown(options.values.at(LogOption)) +
                  "\n");
        written = false;
    }
    // The count goes with the messages, last, so that standard output holds paths alone.
    const char* verb = dryRun         ? " would be removed.\n"
                       : removed == 1 ? " is removed.\n"
                                      : " are removed.\n";
    err.Write("vacantor-cli: " + Counted(removed, "folder") + verb);
    if (interrupted()) {
        return 128 + interruptions.Caught();
    }
    return written && notRemoved == 0 ? 0 : 1;
}
