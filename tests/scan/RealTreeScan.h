#pragma once

#include "scan/ReadAhead.h"

#include <string>
#include <vector>

class FileSystem;

// Scans a real tree with the engine and gives its rows as "number path", with '/' between
// names whatever the platform's separator.
std::vector<std::string> ScanRows(FileSystem& fileSystem, const std::string& root,
                                  int readOnlyOption = 0, ReadAheadSettings settings = {});

// The walk reading every folder itself.
inline const ReadAheadSettings WalkAlone{1};

// The paths of the rows, sorted, for trees whose enumeration order the platform decides.
// Checks on the way that the rows are numbered 0, 1, 2...
std::vector<std::string> PathsOnly(std::vector<std::string> rows);
