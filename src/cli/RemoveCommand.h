#pragma once

#include "cli/CommandLine.h"
#include "cli/ConsoleText.h"
#include "cli/Progress.h"

#include <string>
#include <vector>

class FileSystem;
class FolderRemoval;

// `remove [--read-only] [--dry-run] [--trash] [--print0] [--threads N] [--progress] [--quiet]
// [--log FILE] ROOT`: finds the topmost empty folders below ROOT as `find` does, then
// removes each with the safe removal, printing its path relative to ROOT, and ends with "N
// folders are removed.". --trash moves each checked folder whole to the trash instead ("N
// folders are moved to the Trash."; "not trashed: PATH: REASON"; the log names the trash). A folder
// that is not removed goes to `err` as "not removed: PATH: REASON". --dry-run prints what would be
// removed and removes nothing; --print0 ends each record with NUL; --log FILE records what became
// of each folder (see RemovalLog), and the removal stops when FILE cannot be written. Paths are
// shown for a terminal where a stream is one. `clock` times the run for the progress line and the
// log. Fails when a folder is not removed, ROOT cannot be scanned, the output or the log cannot be
// written.
ExitStatus RunRemoveCommand(const std::vector<std::string>& arguments, FileSystem& fileSystem,
                            FolderRemoval& folderRemoval, ConsoleStream out, ConsoleStream err,
                            SteadyClock clock = SteadyNow);

extern const char* const RemoveUsage;
