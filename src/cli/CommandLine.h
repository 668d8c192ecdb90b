#pragma once

#include "cli/ConsoleText.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// How a command ends, as the help, the README and the manual page give it.
enum class ExitStatus {
    Done = 0,          // the command ran (remove: and removed every folder it found)
    Failed = 1,        // ROOT not read, a folder not removed, output or a file not written...
    UsageError = 2,    // the arguments are wrong
    Interrupted = 128, // remove stopped by a signal: its number is added
};

// The arguments of a command: flags and options with a value ("--threads 4") from known
// sets, and exactly one root folder. An option with a value may be given more than once:
// `values` keeps the last, All every one in order ("--exclude a --exclude b").
struct CommandLine {
    std::set<std::string, std::less<>> flags;
    std::map<std::string, std::string, std::less<>> values;
    std::map<std::string, std::vector<std::string>, std::less<>> allValues;
    std::string root;

    bool Has(std::string_view flag) const { return flags.count(flag) != 0; }
    std::vector<std::string> All(std::string_view option) const {
        auto found = allValues.find(option);
        return found != allValues.end() ? found->second : std::vector<std::string>();
    }
};

// nullopt, with what was wrong in `problem` (one line, no program name, the arguments in
// it shown as `err` shows them), on an unknown option, an option without its value, a
// missing root or a second root. "--" ends the options, so that a root whose name starts
// with '-' can be given.
std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& arguments,
                                            const std::vector<std::string_view>& knownFlags,
                                            const std::vector<std::string_view>& knownValueOptions,
                                            const ConsoleStream& err, std::string& problem);
