#include "cli/RemoveCommand.h"

#include "cli/CommandLine.h"
#include "cli/Console.h"
#include "cli/ConsoleScan.h"
#include "cli/Interruption.h"
#include "cli/RecordWriter.h"
#include "cli/RemovalLog.h"
#include "platform/FileSystem.h"
#include "platform/FolderRemoval.h"
#include "platform/HeldTrash.h"
#include "removal/ScannedRootRemoval.h"

#include <optional>

using namespace std::string_literals;

const char* const RemoveUsage = "usage: vacantor-cli remove [OPTION]... ROOT\n"
                                "Try 'vacantor-cli remove --help'.\n";

namespace {

constexpr const char* LogOption = "--log";
constexpr const char* DryRunFlag = "--dry-run";
constexpr const char* TrashFlag = "--trash";

char Terminator(const CommandLine& options) {
    return options.Has(Print0Flag) ? '\0' : '\n';
}

// The log FILE names, created before the scan: a log that cannot be written is found out
// before anything is removed. nullptr without --log, or when it cannot be created
// (`failed` is then set and the reason is on `err`).
std::unique_ptr<RemovalLog> CreateLog(const CommandLine& options, ConsoleStream err, bool& failed) {
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
    return std::make_unique<RemovalLog>(file, Terminator(options), options.Has(TrashFlag));
}

// What the removal stage works with, and how far it came.
struct RemovalStage {
    ScannedRootRemoval removal;
    RecordWriter printer; // record by record: a reader gone away stops it at the next row
    ConsoleStream err;
    const CommandLine& options;
    const InterruptionCatcher& interruptions;
    RemovalLog* log;
    Progress* progress;
    std::string prefix;
    bool dryRun;
    bool toTrash;
    std::size_t removed = 0; // with --dry-run: printed
    std::size_t notRemoved = 0;
    std::string cutShort{}; // why rows were left before their turn; empty when none was

    bool Interrupted() const { return interruptions.Caught() != 0; }
    std::string WhyCutShort() const {
        return Interrupted() ? "interrupted by "s + interruptions.CaughtName()
                             : "the output cannot be written";
    }
};

// One row: its folder removed from the held root and printed (with --dry-run only printed),
// or left, with the reason on standard error. Logged either way.
void DealWith(RemovalStage& stage, const std::string& path, std::size_t rowCount) {
    LogVerdict verdict = LogVerdict::Skipped;
    std::string reason = "dry run";
    if (!stage.dryRun && !stage.removal.HoldsScannedRoot()) {
        // The first row finds it out: said once on standard error, for every row in the log.
        if (stage.notRemoved == 0) {
            stage.err.Write("vacantor-cli: nothing removed below " +
                            stage.err.Shown(stage.options.root) + ": " +
                            stage.removal.RootFailure() + "\n");
        }
        reason = "root folder: " + stage.removal.RootFailure();
    } else if (!stage.dryRun) {
        RemovalResult result =
            stage.toTrash ? stage.removal.TrashFolder(path) : stage.removal.DeleteFolder(path);
        verdict = VerdictOf(result.outcome);
        reason = verdict == LogVerdict::Removed ? result.trash : result.reason;
        if (verdict != LogVerdict::Removed) {
            stage.err.Write(
                (stage.toTrash ? "vacantor-cli: not trashed: " : "vacantor-cli: not removed: ") +
                stage.err.Shown(path) + ": " + reason + "\n");
        }
    }
    if (stage.dryRun || verdict == LogVerdict::Removed) {
        stage.printer.AddPath(stage.prefix + path);
        stage.printer.EndRecord();
        ++stage.removed;
    } else {
        ++stage.notRemoved;
    }
    if (stage.progress && !stage.dryRun) {
        stage.progress->RowDone(stage.removed, stage.notRemoved, rowCount);
    }
    if (stage.log) {
        stage.log->Add(verdict, path, reason);
    }
}

// The rows in order. The stage ends between two rows, never inside one, on an interrupt,
// or when the output or the log can no longer be written.
void RemoveRows(RemovalStage& stage, const std::vector<std::string>& rows, bool scanInterrupted) {
    if (scanInterrupted) {
        stage.cutShort = stage.WhyCutShort();
    }
    for (const std::string& path : rows) {
        if (stage.Interrupted() || stage.printer.Failed()) {
            stage.cutShort = stage.WhyCutShort();
            return;
        }
        DealWith(stage, path, rows.size());
        // Nothing more is removed once the log cannot say so.
        if (stage.log && stage.log->Failed()) {
            return;
        }
    }
}

// The end of the run: the output written out, an interrupt said, the log closed with its
// summary, and the count, last, so that standard output holds paths alone.
ExitStatus Finish(RemovalStage& stage, std::size_t rowCount, bool scanInterrupted,
                  std::chrono::steady_clock::duration taken) {
    if (stage.progress) {
        stage.progress->Finish();
    }
    bool written = stage.printer.Flush();
    if (!written) {
        stage.err.Write("vacantor-cli: cannot write the output\n");
    }
    if (stage.Interrupted()) {
        stage.err.Write("vacantor-cli: interrupted by "s + stage.interruptions.CaughtName() +
                        (scanInterrupted
                             ? " during the scan: nothing removed\n"
                             : ": " + std::to_string(stage.removed + stage.notRemoved) + " of " +
                                   std::to_string(rowCount) + " folders dealt with\n"));
    }
    if (stage.log && !stage.log->Close(taken, stage.cutShort)) {
        stage.err.Write("vacantor-cli: cannot write the log " +
                        stage.err.Shown(stage.options.values.at(LogOption)) + "\n");
        written = false;
    }
    const std::string ending =
        stage.toTrash ? " moved to "s + SystemTrashWording().destination + ".\n" : " removed.\n";
    const std::string verb = stage.dryRun         ? " would be" + ending
                             : stage.removed == 1 ? " is" + ending
                                                  : " are" + ending;
    stage.err.Write("vacantor-cli: " + Counted(stage.removed, "folder") + verb);
    if (stage.Interrupted()) {
        return static_cast<ExitStatus>(static_cast<int>(ExitStatus::Interrupted) +
                                       stage.interruptions.Caught());
    }
    return written && stage.notRemoved == 0 ? ExitStatus::Done : ExitStatus::Failed;
}

} // namespace

ExitStatus RunRemoveCommand(const std::vector<std::string>& arguments, FileSystem& fileSystem,
                            FolderRemoval& folderRemoval, ConsoleStream out, ConsoleStream err,
                            SteadyClock clock) {
    const std::chrono::steady_clock::time_point start = clock();
    ExitStatus status = ExitStatus::Done;
    std::optional<ScanCommandLine> command =
        ParseScanCommandLine(arguments, {DryRunFlag, TrashFlag}, {LogOption},
                             fileSystem.PathSeparator(), RemoveUsage, err, status);
    if (!command) {
        return status;
    }
    const CommandLine& options = command->options;
    bool logFailed = false;
    std::unique_ptr<RemovalLog> log = CreateLog(options, err, logFailed);
    if (logFailed) {
        return ExitStatus::Failed;
    }
    std::unique_ptr<Progress> progress = StartProgress(options, out, err, clock);
    // From here on an interrupt ends the run between two rows, never inside one: the row's
    // folder is removed or left whole, the modes it changed are put back, and the log says
    // how the run ended.
    InterruptionCatcher interruptions;
    // The whole scan first: removing while it walks would change the tree under it. The
    // removal reaches the rows from the very root the scan read, held in between.
    ScanOutcome scan = ScanRootFolder(fileSystem, command->scan, err,
                                      [&interruptions] { return interruptions.Caught() != 0; });
    if (!scan.Complete()) {
        return ExitStatus::Failed;
    }
    const bool scanInterrupted = interruptions.Caught() != 0;
    RemovalStage stage{{folderRemoval, std::move(scan.heldRoot), &command->scan.rules},
                       {out, Terminator(options), true},
                       err,
                       options,
                       interruptions,
                       log.get(),
                       progress.get(),
                       PathPrefix(options, fileSystem.PathSeparator()),
                       options.Has(DryRunFlag),
                       options.Has(TrashFlag)};
    RemoveRows(stage, scan.rows, scanInterrupted);
    return Finish(stage, scan.rows.size(), scanInterrupted, clock() - start);
}
