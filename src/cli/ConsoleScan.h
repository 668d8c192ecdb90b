#pragma once

#include "cli/CommandLine.h"
#include "cli/ConsoleText.h"
#include "scan/ListingRules.h"

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class FileSystem;
class HeldRoot;
class ResultList;

// The option both commands take: how many threads read folders ahead of the scan.
inline constexpr const char* ThreadsOption = "--threads";

// The options both commands take for exclusions and junk files; each but the flag may be
// given many times.
inline constexpr const char* ExcludeOption = "--exclude";
inline constexpr const char* ExcludeFromOption = "--exclude-from";
inline constexpr const char* JunkOption = "--junk";
inline constexpr const char* JunkCommonFlag = "--junk-common";
// Names each folder an exclusion kept and each folder that could not be read.
inline constexpr const char* VerboseFlag = "--verbose";
// Lists only folders unchanged, all through, for a time; and only so deep.
inline constexpr const char* OlderThanOption = "--older-than";
inline constexpr const char* MaxDepthOption = "--max-depth";
// Prints full paths instead of paths relative to ROOT.
inline constexpr const char* AbsoluteFlag = "--absolute";

// "30d", "12h", "90m", "45s", "2w" in seconds; nullopt for anything else.
std::optional<std::int64_t> DurationSeconds(std::string_view text);

// What --absolute puts before each row's path: ROOT (less one trailing separator, as the
// scan takes it) as a full path, and a separator.
std::string AbsolutePrefix(const std::string& root, char separator);

// The exclusions and junk names the options give, for paths with `separator`; nullopt
// when a pattern or junk name is empty (a usage error, said in `problem`), or, with the
// reason on `err`, when a file of --exclude-from cannot be read (`unreadable` is then set).
// A file holds one pattern a line; blank lines and lines that start with '#' are skipped, and a
// line's end may be "\r\n".
std::optional<ListingRules> ListingRulesFrom(const CommandLine& commandLine, char separator,
                                             ConsoleStream err, bool& unreadable,
                                             std::string& problem);

// The number given with --threads (the default without it); nullopt, with the reason in
// `problem`, when it is not a whole number from 1 to 1024.
std::optional<unsigned> ScanThreads(const CommandLine& commandLine, const ConsoleStream& err,
                                    std::string& problem);

// What both commands read from their command line before they scan.
struct ScanCommandLine {
    CommandLine options;
    unsigned threads;
    ListingRules rules; // with the age limit of --older-than
    std::optional<std::size_t> maxDepth;
};

// Parses a command's arguments with its flags and valued options, and reads --threads,
// the exclusions and junk names, --older-than (from the time now) and --max-depth from them.
// nullopt with `exitStatus` set when the command cannot run: 2 after what was wrong and then
// `usage`, a short hint, are printed on `err` for a usage error, 1 when a file of --exclude-from
// cannot be read (the reason is on `err`).
std::optional<ScanCommandLine>
ParseScanCommandLine(const std::vector<std::string>& arguments,
                     std::initializer_list<std::string_view> flags,
                     std::initializer_list<std::string_view> valueOptions, char separator,
                     const char* usage, ConsoleStream err, int& exitStatus);

// Runs the scan behind Find on ROOT without a window, adding its rows to `list`, as
// `find` and `remove` do, with `threads` reading ahead. One trailing separator on ROOT is
// ignored; `scannedRoot` is the root the rows are relative to. `stopRequested` is asked
// at every folder. Returns false, with the reason on `err`, when ROOT is not a folder that
// can be read, or when the scan ran short of descriptors or memory (its rows may then be
// incomplete). `scannedRootHold`, when given, receives the root the scan read, held open
// for the removal of the rows.
// The progress line on `err`, if there is one, counts the folders read and the rows found.
// `rules`: the exclusions and junk names, or nullptr; `beforeRow` is told before each row
// whether its folder's subtree holds junk files. `err` hears, after the scan, how many
// folders could not be read and that no file lies below ROOT when so; with `verbose`,
// each folder that could not be read or that an exclusion kept as the scan meets it.
bool ScanRootFolder(FileSystem& fileSystem, const std::string& root, bool readOnly,
                    unsigned threads, ResultList& list, std::string& scannedRoot, ConsoleStream err,
                    std::function<bool()> stopRequested = {},
                    std::shared_ptr<const HeldRoot>* scannedRootHold = nullptr,
                    const ListingRules* rules = nullptr,
                    std::function<void(bool holdsJunk)> beforeRow = {}, bool verbose = false,
                    std::optional<std::size_t> maxDepth = std::nullopt);
