#pragma once

#include "cli/RecordWriter.h"
#include "platform/FolderRemoval.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <string_view>

// What became of a listed folder, as `remove --log` records it.
enum class LogVerdict {
    Removed,
    // Left whole on purpose: it changed since the scan (it is gone, it has gained a file or
    // become a link, it is or holds a mount point), or nothing below the root was removed
    // because the root is no longer the folder that was scanned, or --dry-run.
    Skipped,
    // The system refused or failed the removal: access denied, in use, any other error.
    Failed,
};

LogVerdict VerdictOf(RemovalOutcome outcome);

// The log of one `remove --log FILE` run. One record per listed folder: "removed",
// "skipped" or "failed", a tab, the path relative to the root as its exact bytes, a tab,
// and the reason (empty for removed). At the end one record "summary", a tab, the counts
// ("3 removed, 1 skipped, 0 failed"), a tab, the time taken ("2.51 s"), and for a run cut
// short a tab and why ("cut short: interrupted by SIGINT"). Records end as the rows printed
// do (newline, or NUL with --print0). Each record is written out at once, so the file holds
// every folder dealt with so far even when the run ends before its summary.
class RemovalLog {
  public:
    // Takes over `file` (from CreateLogFile) and closes it. For a run that moves folders
    // to the trash (`trashing`) a folder moved is "trashed", with the trash as its reason.
    RemovalLog(std::FILE* file, char terminator, bool trashing = false);
    ~RemovalLog();
    RemovalLog(const RemovalLog&) = delete;
    RemovalLog& operator=(const RemovalLog&) = delete;

    void Add(LogVerdict verdict, std::string_view path, std::string_view reason);

    // Writes the summary and closes the file. False when any write failed. `cutShort`: why
    // the run ended before its last folder, empty when it did not.
    bool Close(std::chrono::steady_clock::duration taken, std::string_view cutShort = {});

    // True once a write has failed.
    bool Failed() const { return records_ && records_->Failed(); }

  private:
    const char* Word(LogVerdict verdict) const;

    std::FILE* file_;
    std::optional<RecordWriter> records_;
    std::size_t counts_[3] = {};
    bool trashing_;
};
