#pragma once

#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// The arguments of a command: flags and options with a value ("--threads 4") from known
// sets, and exactly one root folder.
struct CommandLine {
    std::set<std::string, std::less<>> flags;
    std::map<std::string, std::string, std::less<>> values;
    std::string root;

    bool Has(std::string_view flag) const { return flags.count(flag) != 0; }
};

// nullopt on an unknown option, an option without its value, a missing root or a second
// root. "--" ends the options, so that a root whose name starts with '-' can be given.
std::optional<CommandLine>
ParseCommandLine(const std::vector<std::string>& arguments,
                 std::initializer_list<std::string_view> knownFlags,
                 std::initializer_list<std::string_view> knownValueOptions = {});
