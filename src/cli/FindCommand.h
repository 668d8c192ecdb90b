#pragma once

#include "cli/ConsoleText.h"

#include <string>
#include <vector>

class FileSystem;

// `find [--read-only] [--print0] ROOT`: prints the topmost empty folders below ROOT as they
// are found, shown for a terminal where `out` is one. Returns the exit status: 0 done, 1 ROOT
// cannot be scanned or the output cannot be written, 2 usage error.
int RunFindCommand(const std::vector<std::string>& arguments, FileSystem& fileSystem,
                   ConsoleStream out, ConsoleStream err);

extern const char* const FindUsage;
