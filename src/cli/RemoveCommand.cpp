#include "cli/RemoveCommand.h"

#include "cli/CommandLine.h"
#include "cli/Console.h"
#include "cli/ConsoleScan.h"
#include "cli/Interruption.h"
#include "cli/RecordWriter.h"
#include "cli/RemovalLog.h"
#include "platform/FileSystem.h"
#include "platform/FolderRemoval.h"
#include "platform/HeldRoot.h"
#include "removal/ScannedRootRemoval.h"

#include <optional>

using namespace std::string_literals;

const char* const RemoveUsage = "usage: vacantor-cli remove [OPTION]... ROOT\n"
                                "Try 'vacantor-cli remove --help'.\n";

namespace {

constexpr const char* LogOption = "--log";
constexpr const char* DryRunFlag = "--dry-run";

char Terminator(const CommandLine& options) {
    return options.Has("--print0") ? '\0' : '\n';
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
    return std::make_unique<RemovalLog>(file, Terminator(options));
}

// How far the removal stage came.
struct RemovalTally {
    std::size_t removed = 0; // with --dry-run: printed
    std::size_t notRemoved = 0;
    std::string cutShort; // why rows were left before their turn; empty when none was
};

// The removal stage: the rows in order, each removed from the root the scan held (with
// --dry-run only printed), printed once removed, logged and shown on the progress line.
// It ends between two rows, never inside one, on an interrupt, or when the output or the
// log can no longer be written.
class RemovalStage {
  public:
    RemovalStage(const ScanCommandLine& command, FolderRemoval& folderRemoval,
                 std::shared_ptr<const HeldRoot> heldRoot, char separator, ConsoleStream out,
                 ConsoleStream err, RemovalLog* log, Progress* progress,
                 const InterruptionCatcher& interruptions)
        : removal_(folderRemoval, std::move(heldRoot), &command.scan.rules),
          printer_(out, Terminator(command.options), true), err_(err), options_(command.options),
          prefix_(PathPrefix(command.options, separator)), dryRun_(options_.Has(DryRunFlag)),
          log_(log), progress_(progress), interruptions_(interruptions) {}

    RemovalTally Run(const std::vector<std::string>& rows, bool scanInterrupted) {
        RemovalTally tally;
        if (scanInterrupted) {
            tally.cutShort = WhyCutShort();
        }
        for (const std::string& path : rows) {
            if (Interrupted() || printer_.Failed()) {
                tally.cutShort = WhyCutShort();
                break;
            }
            auto [verdict, reason] = DealWith(path, tally);
            if (progress_ && !dryRun_) {
                progress_->RowDone(tally.removed, tally.notRemoved, rows.size());
            }
            if (log_) {
                log_->Add(verdict, path, reason);
                // Nothing more is removed once the log cannot say so.
                if (log_->Failed()) {
                    break;
                }
            }
        }
        return tally;
    }

    // The end of the run, once the rows are dealt with: the output written out, an
    // interrupt said, the log closed with its summary, and the count, last, so that
    // standard output holds paths alone.
    ExitStatus Finish(const RemovalTally& tally, std::size_t rowCount, bool scanInterrupted,
                      std::chrono::steady_clock::duration taken) {
        if (progress_) {
            progress_->Finish();
        }
        bool written = printer_.Flush();
        if (!written) {
            err_.Write("vacantor-cli: cannot write the output\n");
        }
        if (Interrupted()) {
            err_.Write("vacantor-cli: interrupted by "s + interruptions_.CaughtName() +
                       (scanInterrupted
                            ? " during the scan: nothing removed\n"
                            : ": " + std::to_string(tally.removed + tally.notRemoved) + " of " +
                                  std::to_string(rowCount) + " folders dealt with\n"));
        }
        if (log_ && !log_->Close(taken, tally.cutShort)) {
            err_.Write("vacantor-cli: cannot write the log " +
                       err_.Shown(options_.values.at(LogOption)) + "\n");
            written = false;
        }
        const char* verb = dryRun_              ? " would be removed.\n"
                           : tally.removed == 1 ? " is removed.\n"
                                                : " are removed.\n";
        err_.Write("vacantor-cli: " + Counted(tally.removed, "folder") + verb);
        if (Interrupted()) {
            return InterruptedBy(interruptions_.Caught());
        }
        return written && tally.notRemoved == 0 ? ExitStatus::Done : ExitStatus::Failed;
    }

  private:
    bool Interrupted() const { return interruptions_.Caught() != 0; }
    std::string WhyCutShort() const {
        return Interrupted() ? "interrupted by "s + interruptions_.CaughtName()
                             : "the output cannot be written";
    }

    // One row: its folder removed and printed, or, with the reason on standard error, left.
    std::pair<LogVerdict, std::string> DealWith(const std::string& path, RemovalTally& tally) {
        LogVerdict verdict = LogVerdict::Skipped;
        std::string reason = "dry run";
        if (!dryRun_ && !removal_.HoldsScannedRoot()) {
            // The first row finds it out: said once on standard error, for every row in the log.
            if (tally.notRemoved == 0) {
                err_.Write("vacantor-cli: nothing removed below " + err_.Shown(options_.root) +
                           ": " + removal_.RootFailure() + "\n");
            }
            reason = "root folder: " + removal_.RootFailure();
        } else if (!dryRun_) {
            RemovalResult result = removal_.DeleteFolder(path);
            verdict = VerdictOf(result.outcome);
            reason = result.reason;
            if (verdict != LogVerdict::Removed) {
                err_.Write("vacantor-cli: not removed: " + err_.Shown(path) + ": " + reason + "\n");
            }
        }
        if (dryRun_ || verdict == LogVerdict::Removed) {
            printer_.AddPath(prefix_ + path);
            printer_.EndRecord();
            ++tally.removed;
        } else {
            ++tally.notRemoved;
        }
        return {verdict, std::move(reason)};
    }

    ScannedRootRemoval removal_;
    // Record by record, so that a reader gone away stops the removal at the next row.
    RecordWriter printer_;
    ConsoleStream err_;
    const CommandLine& options_;
    const std::string prefix_;
    const bool dryRun_;
    RemovalLog* log_;
    Progress* progress_;
    const InterruptionCatcher& interruptions_;
};

} // namespace

ExitStatus RunRemoveCommand(const std::vector<std::string>& arguments, FileSystem& fileSystem,
                            FolderRemoval& folderRemoval, ConsoleStream out, ConsoleStream err,
                            SteadyClock clock) {
    const std::chrono::steady_clock::time_point start = clock();
    ExitStatus status = ExitStatus::Done;
    std::optional<ScanCommandLine> command =
        ParseScanCommandLine(arguments,
                             {ReadOnlyFlag, DryRunFlag, "--print0", ProgressOption, QuietOption,
                              JunkCommonFlag, VerboseFlag, AbsoluteFlag},
                             {ThreadsOption, LogOption, ExcludeOption, ExcludeFromOption,
                              JunkOption, OlderThanOption, MaxDepthOption},
                             fileSystem.PathSeparator(), RemoveUsage, err, status);
    if (!command) {
        return status;
    }
    bool logFailed = false;
    std::unique_ptr<RemovalLog> log = CreateLog(command->options, err, logFailed);
    if (logFailed) {
        return ExitStatus::Failed;
    }
    std::unique_ptr<Progress> progress = StartProgress(command->options, out, err, clock);
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
    RemovalStage removal(*command, folderRemoval, std::move(scan.heldRoot),
                         fileSystem.PathSeparator(), out, err, log.get(), progress.get(),
                         interruptions);
    RemovalTally tally = removal.Run(scan.rows, scanInterrupted);
    return removal.Finish(tally, scan.rows.size(), scanInterrupted, clock() - start);
}
