#pragma once

#include "cli/ConsoleText.h"
#include "platform/FolderIdentity.h"

#include <functional>
#include <optional>
#include <string>

struct CommandLine;
class FileSystem;
class ResultList;

// The option both commands take: how many threads read folders ahead of the scan.
inline constexpr const char* ThreadsOption = "--threads";

// The number given with --threads (the default without it); nullopt when it is not a
// whole number from 1 to 1024.
std::optional<unsigned> ScanThreads(const CommandLine& commandLine);

// Runs the scan behind Find on ROOT without a window, adding its rows to `list`, as
// `find` and `remove` do, with `threads` reading ahead. One trailing separator on ROOT is
// ignored; `scannedRoot` is the root the rows are relative to. `stopRequested` is asked
// at every folder. Returns false, with the reason on `err`, when ROOT is not a folder that
// can be read. `rootIdentity`, when given, receives which folder the scan read at ROOT.
// The progress line on `err`, if there is one, counts the folders read and the rows found.
bool ScanRootFolder(FileSystem& fileSystem, const std::string& root, bool readOnly,
                    unsigned threads, ResultList& list, std::string& scannedRoot, ConsoleStream err,
                    std::function<bool()> stopRequested = {},
                    std::optional<FolderIdentity>* rootIdentity = nullptr);
