#include "cli/CommandLine.h"

#include <algorithm>

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& arguments,
                                            std::initializer_list<std::string_view> knownFlags) {
    CommandLine commandLine;
    bool haveRoot = false;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        bool isOption = !optionsEnded && argument.size() > 1 && argument[0] == '-';
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (isOption &&
                   std::find(knownFlags.begin(), knownFlags.end(), argument) != knownFlags.end()) {
            commandLine.flags.insert(argument);
        } else if (isOption || haveRoot) {
            return std::nullopt;
        } else {
            commandLine.root = argument;
            haveRoot = true;
        }
    }
    return haveRoot ? std::optional(commandLine) : std::nullopt;
}
