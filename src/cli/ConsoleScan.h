#pragma once

#include "cli/CommandLine.h"
#include "cli/ConsoleText.h"
#include "scan/ListingRules.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class FileSystem;
class HeldRoot;
struct FoundFolder;

// The options both commands take: read-only folders may count as empty; how many threads
// read folders ahead of the scan.
inline constexpr const char* ReadOnlyFlag = "--read-only";
inline constexpr const char* ThreadsOption = "--threads";
// Ends each record with NUL instead of a newline.
inline constexpr const char* Print0Flag = "--print0";

// The options both commands take for exclusions and junk files; each but the flag may be
// given many times.
inline constexpr const char* ExcludeOption = "--exclude";
inline constexpr const char* ExcludeFromOption = "--exclude-from";
inline constexpr const char* JunkOption = "--junk";
inline constexpr const char* JunkCommonFlag = "--junk-common";
// Takes the protected folders (ListingRules) as any other folder.
inline constexpr const char* NoProtectFlag = "--no-protect";
// Names each folder an exclusion or protection kept and each folder that could not be read.
inline constexpr const char* VerboseFlag = "--verbose";
// Lists only folders unchanged, all through, for a time; and only so deep.
inline constexpr const char* OlderThanOption = "--older-than";
inline constexpr const char* MaxDepthOption = "--max-depth";
// Prints full paths instead of paths relative to ROOT.
inline constexpr const char* AbsoluteFlag = "--absolute";

// What goes before each path a command prints: with --absolute, ROOT (less one trailing
// separator, as the scan takes it) as a full path and a separator; "" without.
std::string PathPrefix(const CommandLine& options, char separator);

// The scan a command asks for, built once from its options.
struct ScanRequest {
    std::string root; // ROOT as given
    bool readOnly = false;
    bool verbose = false; // names each folder not read or excluded, as the scan meets it
    unsigned threads = 1;
    ListingRules rules; // exclusions, protection, junk names, the age limit of --older-than
    std::optional<std::size_t> maxDepth;
};

// What both commands read from their command line before they scan.
struct ScanCommandLine {
    CommandLine options;
    ScanRequest scan;
};

// Parses a command's arguments with the options both commands take and the command's own
// `flags` and `valueOptions`, and reads the scan request from them: ROOT, --read-only, --verbose,
// --threads, the exclusions and junk names, --older-than (from the time now) and --max-depth.
// nullopt with `exitStatus` set when the command cannot run: UsageError after what was wrong and
// then `usage`, a short hint, are printed on `err`; Failed when a file of --exclude-from cannot be
// read (the reason is on `err`).
std::optional<ScanCommandLine> ParseScanCommandLine(const std::vector<std::string>& arguments,
                                                    std::vector<std::string_view> flags,
                                                    std::vector<std::string_view> valueOptions,
                                                    char separator, const char* usage,
                                                    ConsoleStream err, ExitStatus& exitStatus);

// What a command's scan came to.
struct ScanOutcome {
    bool rootRead = false;      // ROOT is a folder and could be read
    bool ranShort = false;      // of descriptors or memory: the rows may be incomplete
    std::size_t unreadable = 0; // folders below ROOT that could not be read
    std::size_t found = 0;
    std::vector<std::string> rows;            // the paths found, relative to ROOT, unless passed on
    std::shared_ptr<const HeldRoot> heldRoot; // ROOT as the scan read it, held open

    // Whether the rows are the whole answer: otherwise the reason is on standard error.
    bool Complete() const { return rootRead && !ranShort; }
};

// Each folder found, with its number (from 0), as soon as it is found.
using FoundRowHandler = std::function<void(std::size_t number, const FoundFolder& folder)>;

// Runs the scan behind Find on the request's ROOT without a window, as `find` and `remove`
// do; one trailing separator on ROOT is ignored. The rows go to `onRow`, or without one
// into the outcome. `stopRequested` is asked at every folder. The progress line on `err`,
// if there is one, counts the folders read and the rows found. `err` hears why ROOT could
// not be scanned, and after a scan how many folders could not be read and that no file
// lies below ROOT when so.
ScanOutcome ScanRootFolder(FileSystem& fileSystem, const ScanRequest& request, ConsoleStream err,
                           std::function<bool()> stopRequested, FoundRowHandler onRow = {});
