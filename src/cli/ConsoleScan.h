#pragma once

#include "cli/ConsoleText.h"

#include <functional>
#include <string>

class FileSystem;
class ResultList;

// Runs the scan behind Find on ROOT without a window, adding its rows to `list`, as
// `find` and `remove` do. One trailing separator on ROOT is ignored; `scannedRoot` is
// the root the rows are relative to. `stopRequested` is asked at every folder. Returns
// false, with the reason on `err`, when ROOT is not a folder that can be read.
bool ScanRootFolder(FileSystem& fileSystem, const std::string& root, bool readOnly,
                    ResultList& list, std::string& scannedRoot, ConsoleStream err,
                    std::function<bool()> stopRequested = {});
