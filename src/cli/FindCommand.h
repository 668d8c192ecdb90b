#pragma once

#include "cli/CommandLine.h"
#include "cli/ConsoleText.h"

#include <string>
#include <vector>

class FileSystem;

// `find [--read-only] [--print0] ROOT`: prints the topmost empty folders below ROOT as they
// are found, shown for a terminal where `out` is one. Fails when ROOT cannot be scanned or
// the output cannot be written.
ExitStatus RunFindCommand(const std::vector<std::string>& arguments, FileSystem& fileSystem,
                          ConsoleStream out, ConsoleStream err);

extern const char* const FindUsage;
