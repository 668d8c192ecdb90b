#include "cli/CommandLine.h"

#include <algorithm>

namespace {

bool IsIn(const std::vector<std::string_view>& known, const std::string& argument) {
    return std::find(known.begin(), known.end(), argument) != known.end();
}

} // namespace

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& arguments,
                                            const std::vector<std::string_view>& knownFlags,
                                            const std::vector<std::string_view>& knownValueOptions,
                                            const ConsoleStream& err, std::string& problem) {
    CommandLine commandLine;
    bool haveRoot = false;
    bool optionsEnded = false;
    for (auto at = arguments.begin(); at != arguments.end(); ++at) {
        const std::string& argument = *at;
        bool isOption = !optionsEnded && argument.size() > 1 && argument[0] == '-';
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (isOption && IsIn(knownFlags, argument)) {
            commandLine.flags.insert(argument);
        } else if (isOption && IsIn(knownValueOptions, argument)) {
            if (std::next(at) == arguments.end()) {
                problem = argument + " needs a value";
                return std::nullopt;
            }
            ++at;
            commandLine.values[argument] = *at;
            commandLine.allValues[argument].push_back(*at);
        } else if (isOption) {
            problem = "unknown option " + err.Shown(argument);
            return std::nullopt;
        } else if (haveRoot) {
            problem = "one ROOT only, but also " + err.Shown(argument);
            return std::nullopt;
        } else {
            commandLine.root = argument;
            haveRoot = true;
        }
    }
    if (!haveRoot) {
        problem = "no ROOT folder given";
        return std::nullopt;
    }
    return commandLine;
}
